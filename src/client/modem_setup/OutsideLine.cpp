#include "client/modem_setup/OutsideLine.h"

#include "common/Val.h"

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
