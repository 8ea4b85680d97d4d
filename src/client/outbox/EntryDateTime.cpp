#include "client/outbox/EntryDateTime.h"

#include <QStringList>

namespace EntryDateTime {

std::optional<QDateTime> parse(const QString& text) {
    const QStringList halves = text.simplified().split(' ');
    if (halves.size() != 2)
        return std::nullopt;
    const QStringList d = halves[0].split('/');
    const QStringList t = halves[1].split(':');
    if (d.size() != 3 || t.size() < 2 || t.size() > 3)
        return std::nullopt;
    bool ok[6] = {true, true, true, true, true, true};
    const int day = d[0].toInt(&ok[0]);
    const int month = d[1].toInt(&ok[1]);
    const int year = d[2].toInt(&ok[2]);
    const int hour = t[0].toInt(&ok[3]);
    const int minute = t[1].toInt(&ok[4]);
    const int second = t.size() == 3 ? t[2].toInt(&ok[5]) : 0;
    for (bool b : ok)
        if (!b)
            return std::nullopt;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

std::optional<QDateTime> of(const QString& entry) {
    const qsizetype close = entry.indexOf(']');
    const qsizetype plus = entry.indexOf('+');
    if (close < 0 || plus < close)
        return std::nullopt;
    return parse(entry.mid(close + 1, plus - close - 1));
}

} // namespace EntryDateTime
