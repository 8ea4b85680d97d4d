#include "nom/SentReferences.h"

#include <QRegularExpression>

namespace SentReferences {
namespace {

const QString kTimeFormat = QStringLiteral("dd/MM/yyyy HH:mm:ss");

// A network may report the number with or without its '+'.
QString digits(const QString& number) {
    return number.startsWith('+') ? number.mid(1) : number;
}

} // namespace

QString line(const Sent& sent) {
    return QStringLiteral("[%1] %2 %3 %4")
        .arg(sent.id)
        .arg(sent.reference)
        .arg(sent.number, sent.when.toString(kTimeFormat));
}

std::optional<Sent> parse(const QString& line) {
    static const QRegularExpression form(
        QStringLiteral("^\\[(\\d{1,18})\\] (\\d{1,3}) (\\+?\\d{1,30}) (\\S+ \\S+)$"));
    const auto m = form.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    Sent s{m.captured(1).toLongLong(), m.captured(2).toUInt(), m.captured(3),
           QDateTime::fromString(m.captured(4), kTimeFormat)};
    if (s.reference > 255 || !s.when.isValid())
        return std::nullopt;
    return s;
}

QList<Sent> recent(const QList<Sent>& sent, const QDateTime& now) {
    QList<Sent> kept;
    for (const Sent& s : sent)
        if (s.when.secsTo(now) < kKeptDays * 24 * 3600)
            kept << s;
    return kept;
}

std::optional<qint64> match(const QList<Sent>& sent, unsigned reference, const QString& number,
                            const QDateTime& now) {
    const QList<Sent> candidates = recent(sent, now);
    const Sent* best = nullptr;
    for (const Sent& s : candidates)
        if (s.reference == reference && digits(s.number) == digits(number) &&
            (!best || s.when >= best->when))
            best = &s;
    if (!best)
        return std::nullopt;
    return best->id;
}

} // namespace SentReferences
