#include "nom/TapText.h"

#include "common/Win1252.h"

namespace TapText {

QByteArray checksum(const QByteArray& bytes) {
    unsigned sum = 0;
    for (const char c : bytes)
        sum += static_cast<unsigned char>(c);
    sum %= 4096;
    QByteArray out;
    out += char('0' + sum / 256);
    out += char('0' + (sum % 256) / 16);
    out += char('0' + sum % 16);
    return out;
}

QByteArray MakeTAPString(const QString& MobileNumber, const QString& MessageText) {
    QByteArray block;
    block += STX;
    block += Win1252::encode(MobileNumber);
    block += CR;
    block += Win1252::encode(MessageText);
    block += CR;
    block += ETX;
    block += checksum(block);
    block += CR;
    return block;
}

void IntFormatNumber(QString& MobileNumber) {
    MobileNumber.remove(QLatin1Char(' '));
    if (MobileNumber.startsWith(QLatin1Char('+')))
        MobileNumber.remove(0, 1);
}

void StripTail(QString& TextString) {
    while (!TextString.isEmpty() && TextString.back().unicode() < 33)
        TextString.chop(1);
}

} // namespace TapText
