#pragma once

#include <QString>
#include <optional>

// An outbox entry: "[" id "] " date-time " " "+" digits " " part text, with an
// optional status prefix. Readers go by the first "[", "]" and "+" only, so a
// part text holding those characters changes nothing.
namespace OutboxEntry {

inline const QString kProcessing = QStringLiteral("Processing::");
inline const QString kAccepted = QStringLiteral("Accepted::");

// What the details window shows of an entry.
struct Details {
    QString id;
    QString dateTime;
    QString message;
    int length = 0;
};

// The text between the first "[" and the first "]" after it, blanks removed
// ("" when there are no brackets).
QString idText(const QString& entry);
// Decimal digits with blanks around them, as ids are written.
std::optional<qint64> parseId(const QString& digits);
// The id as a number, when the brackets hold decimal digits only.
std::optional<qint64> id(const QString& entry);
Details details(const QString& entry);

} // namespace OutboxEntry
