#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// What Brindle keeps of each message a mobile modem sent, one line each in
// Brindle.ref: "[12] 37 +447700900123 07/12/2026 18:55:01" (id, the
// network's message reference, number, send time). A delivery report names
// only the reference and the number.
namespace SentReferences {

// Reports older than this are not matched, and such lines are dropped.
inline constexpr qint64 kKeptDays = 7;

struct Sent {
    qint64 id = 0;
    unsigned reference = 0;
    QString number;
    QDateTime when;
};

QString line(const Sent& sent);
// Nothing for a line that is not one (a half-written last line, say).
std::optional<Sent> parse(const QString& line);
// Those sent within kKeptDays before `now`.
QList<Sent> recent(const QList<Sent>& sent, const QDateTime& now);
// The id a report of `reference` for `number` is about: references are 8-bit
// and repeat, so the newest recent send with both.
std::optional<qint64> match(const QList<Sent>& sent, unsigned reference, const QString& number,
                            const QDateTime& now);

} // namespace SentReferences
