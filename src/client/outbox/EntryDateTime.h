#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace EntryDateTime {

// The date and time an entry carries between its first "]" and its first
// "+", read day first ("5/12/2026 9:05:00" or "05/12/2026 09:05:00").
std::optional<QDateTime> of(const QString& entry);
std::optional<QDateTime> parse(const QString& text);

} // namespace EntryDateTime
