#include "client/outbox/OutboxEntry.h"

namespace OutboxEntry {

namespace {

// Ids stay far below the range where adding a send's count could overflow.
constexpr int kMaxIdDigits = 15;

} // namespace

QString idText(const QString& entry) {
    const qsizetype open = entry.indexOf('[');
    if (open < 0)
        return {};
    const qsizetype close = entry.indexOf(']', open + 1);
    if (close < 0)
        return {};
    return entry.mid(open + 1, close - open - 1).remove(' ').trimmed();
}

std::optional<qint64> parseId(const QString& digits) {
    const QString text = digits.trimmed();
    if (text.isEmpty() || text.size() > kMaxIdDigits)
        return std::nullopt;
    for (QChar c : text)
        if (c < '0' || c > '9')
            return std::nullopt;
    return text.toLongLong();
}

std::optional<qint64> id(const QString& entry) {
    return parseId(idText(entry));
}

Details details(const QString& entry) {
    Details d;
    d.id = idText(entry);
    const qsizetype close = entry.indexOf(']');
    const qsizetype plus = entry.indexOf('+', close + 1);
    // The date-time runs up to the number; a fixed width would take in the
    // "+" of scheduled entries, whose dates have no leading zeros.
    if (close >= 0)
        d.dateTime = entry.mid(close + 1, plus < 0 ? 20 : plus - close - 1).trimmed();
    // The text follows the blank that ends the number, whatever its length.
    if (plus >= 0) {
        const qsizetype blank = entry.indexOf(' ', plus);
        if (blank >= 0)
            d.message = entry.mid(blank + 1).trimmed();
    }
    d.length = int(d.message.size());
    return d;
}

} // namespace OutboxEntry
