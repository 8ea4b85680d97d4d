#pragma once

#include <QString>

namespace NumberEntry {

// A stored recipient line worth loading: after trimming it is not empty,
// holds a "+", and the text after the first "+" is a number.
bool IsValidNumberEntry(const QString& line);

} // namespace NumberEntry
