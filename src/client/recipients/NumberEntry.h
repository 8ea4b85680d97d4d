#pragma once

#include <QString>

// A recipient line: a name, two blanks, then "+" and digits.
namespace NumberEntry {

// Far longer than any name and number: a longer stored line is damage.
inline constexpr int MaxLength = 1024;

// A stored recipient line worth loading: after trimming it is not empty,
// holds a "+", the text after the first "+" is a number, and it is no
// longer than an entry can be.
bool IsValidNumberEntry(const QString& line);

// name + two blanks + number.
QString make(const QString& name, const QString& number);

} // namespace NumberEntry
