#include "nom/QueueEntry.h"

std::optional<QueueEntry> QueueEntry::parse(const QString& line) {
    const qsizetype plus = line.indexOf(QLatin1Char('+'));
    if (plus < 0)
        return std::nullopt;
    const qsizetype blank = line.indexOf(QLatin1Char(' '), plus);
    if (blank < 0)
        return std::nullopt;
    return QueueEntry{line.mid(plus, blank - plus), line.mid(blank + 1)};
}
