#include "nom/QueueEntry.h"

#include "nom/StatusLog.h"

#include <algorithm>

namespace {

bool isControl(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

} // namespace

QueueEntry::Fault QueueEntry::check(const QString& line) {
    if (line.size() > kMaxLength)
        return Fault::OverLong;
    if (!parse(line))
        return Fault::Malformed;
    if (std::any_of(line.begin(), line.end(), isControl))
        return Fault::ControlCharacter;
    return Fault::None;
}

std::optional<QueueEntry> QueueEntry::parse(const QString& line) {
    const qsizetype plus = line.indexOf(QLatin1Char('+'));
    if (plus < 0)
        return std::nullopt;
    const qsizetype blank = line.indexOf(QLatin1Char(' '), plus);
    if (blank < 0)
        return std::nullopt;
    return QueueEntry{line.mid(plus, blank - plus), line.mid(blank + 1)};
}

QString QueueEntry::id(const QString& line) {
    const qsizetype close = line.indexOf(QLatin1Char(']'));
    if (line.startsWith(QLatin1Char('[')) && close > 0 && close < line.indexOf(QLatin1Char('+')))
        return line.left(close + 1);
    return shown(line);
}

QString QueueEntry::shown(const QString& line) {
    if (line.size() <= kMaxLength)
        return StatusLog::visible(line);
    return StatusLog::visible(line.left(60)) +
           QStringLiteral("... (%1 characters)").arg(line.size());
}
