#pragma once

#include <QString>

// A recipient line: a name, two blanks, then "+" and digits.
namespace NumberEntry {

// Far longer than any entry the program makes (the Single Contact fields
// hold at most 32,767 characters each): a longer stored line is damage.
inline constexpr int MaxLength = 1 << 18;

// A stored recipient line worth loading: after trimming it is not empty,
// holds a "+", the text after the first "+" is a number, and it is no
// longer than an entry can be.
bool IsValidNumberEntry(const QString& line);
// A decimal number written out: an optional sign, digits with at most one
// decimal point, an optional exponent. Read as text, so no number of digits
// is too many.
bool isNumberText(QStringView text);

// name + two blanks + number.
QString make(const QString& name, const QString& number);

// The direction controls (U+202A to U+202E, U+2066 to U+2069) go: one in a
// name would turn the number after it around on screen. Imported names and
// every line the Number List takes pass here (our files, in Windows-1252,
// cannot hold them).
QString withoutDirectionControls(QString line);
// The line as a list shows it: the number after the last "+" set apart left
// to right, so a name in any script leaves its digits in order.
QString displayText(const QString& line);

} // namespace NumberEntry
