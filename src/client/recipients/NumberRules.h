#pragma once

#include <QString>

// Turning typed numbers into international form.
namespace NumberRules {

// Digits only, everything else dropped.
QString digitsOnly(const QString& text);
// National (leading 0) or code-first digits to "+" code digits: 0123 with code
// 44 gives +44123; 44012 gives +4412; 1555 with code 1 gives +1555.
QString MakeInternationalNumber(const QString& digits, const QString& codeDigits);
// The same rule with the code fixed to 44, applied to any text.
void ValidateNumber(QString& number);

} // namespace NumberRules
