#pragma once

#include <QString>

// The number a text begins with, as the stored settings are read: leading
// blanks skipped, an optional sign, then digits up to the first character
// that cannot belong to the number; no digits give 0.
long long leadingNumber(const QString& text);
