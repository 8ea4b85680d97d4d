#include "client/modem_setup/OutsideLine.h"

#include "common/Val.h"

#include <algorithm>
#include <limits>

void OutsideLine::fillFromSaved() {
    text = prefix == -1 ? QString() : QString::number(prefix);
    ticked = savedOption == 1;
}

int OutsideLine::numberIn(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || !t.front().isDigit())
        return -1;
    const long long v = leadingNumber(t);
    return v <= std::numeric_limits<qint16>::max() ? static_cast<int>(v) : -1;
}

std::optional<Notice> OutsideLine::refusal() const {
    if (!ticked)
        return std::nullopt;
    const QString t = text.trimmed();
    const bool digits =
        std::all_of(t.begin(), t.end(), [](QChar c) { return c >= '0' && c <= '9'; });
    QString refusal;
    if (t.isEmpty())
        refusal = QStringLiteral("Enter prefix to dial an outside number.");
    else if (!digits || numberIn(t) == -1)
        refusal = QStringLiteral("Enter a prefix from 0 to 32767 to dial an outside number.");
    else
        return std::nullopt;
    return Notice{refusal, Notice::kWarningTitle, Notice::Mark::None};
}

bool OutsideLine::acceptsKey(int keyAscii) {
    return (keyAscii >= '0' && keyAscii <= '9') || keyAscii == 8;
}

QString OutsideLine::label5Caption(bool ticked) {
    return ticked ? QStringLiteral("Use prefix")
                  : QStringLiteral("Prefix to dial an outside number.");
}

QString OutsideLine::dialString(const QString& smscNumber) const {
    // A prefix of -1 is none, as Brindle dials it.
    if (ticked && prefix != -1)
        return QString::number(prefix) + ',' + smscNumber;
    return '+' + smscNumber;
}
