#pragma once

#include <QByteArray>
#include <QStringList>

// What the simulator records for each queue entry: the number without its
// '+', a tab, the text, a line feed.
inline QByteArray simulatorRecord(const QStringList& entries) {
    QByteArray out;
    for (const QString& e : entries) {
        const qsizetype plus = e.indexOf('+');
        const qsizetype blank = e.indexOf(' ', plus);
        out += e.mid(plus + 1, blank - plus - 1).toLatin1() + '\t' + e.mid(blank + 1).toLatin1() +
               '\n';
    }
    return out;
}
