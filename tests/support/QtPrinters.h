#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

// Readable failure messages for Qt texts; a long text shows its start only.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.left(200).toStdString() << (s.size() > 200 ? "\"..." : "\"");
}
inline void PrintTo(const QByteArray& b, std::ostream* os) {
    *os << '"' << b.left(200).toPercentEncoding(" +[]=:,.;!?/").toStdString()
        << (b.size() > 200 ? "\"..." : "\"");
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{';
    for (const QString& s : l) {
        *os << ' ';
        PrintTo(s, os);
    }
    *os << " }";
}
