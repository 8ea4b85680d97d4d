#pragma once

#include <QByteArray>
#include <QString>

// The pure text side of the paging protocol: blocks, checksum, number clean-up.
namespace TapText {

inline constexpr char STX = 2;
inline constexpr char ETX = 3;
inline constexpr char EOT = 4;
inline constexpr char ACK = 6;
inline constexpr char CR = 13;
inline constexpr char NAK = 21;
inline constexpr char DC1 = 17;
inline constexpr char ESC = 27;
inline constexpr char RS = 30;

// Three characters '0'..'?' for the sum of the byte values, modulo 4096.
QByteArray checksum(const QByteArray& bytes);

// STX number CR text CR ETX checksum CR; the text in the file code page.
QByteArray MakeTAPString(const QString& MobileNumber, const QString& MessageText);

// Blanks removed, then one leading '+'.
void IntFormatNumber(QString& MobileNumber);

// Trailing control characters and blanks removed.
void StripTail(QString& TextString);

} // namespace TapText
