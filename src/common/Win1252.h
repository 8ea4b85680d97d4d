#pragma once

#include <QByteArray>
#include <QString>

// Files are Windows-1252 bytes; the program works in QString. Conversion
// happens only at the file boundary.
namespace Win1252 {

// The Windows-1252 code of a character, or -1 when it has none.
int code(QChar c);
// Characters without a Windows-1252 code become '?'.
QByteArray encode(const QString& text);
// Every byte has a meaning; the five undefined ones map to U+0081 and so on
// (as Windows does), and back to the same byte.
QString decode(const QByteArray& bytes);

} // namespace Win1252
