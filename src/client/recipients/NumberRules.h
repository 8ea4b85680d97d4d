#pragma once

#include <QString>
#include <Qt>
#include <optional>

// Turning typed numbers into international form, and the rules of the
// Single Contact fields.
namespace NumberRules {

// Digits only, everything else dropped.
QString digitsOnly(const QString& text);
// National (leading 0) or code-first digits to "+" code digits: 0123 with code
// 44 gives +44123; 44012 gives +4412; 1555 with code 1 gives +1555. Digits
// after the international access prefix 00 keep their own code: 0044123
// gives +44123 whatever the code.
QString MakeInternationalNumber(const QString& digits, const QString& codeDigits);
// The same rule with the code fixed to 44, applied to any text.
void ValidateNumber(QString& number);
// A number written internationally ("+44 (0)7700 900123", "0044 (0)7700")
// without the "(0)" trunk prefix, which is dialled only inside the country.
// A national number ("(0)77-123") is left as it is.
QString dropTrunkPrefix(const QString& text);

// Why a country code cannot be used (the message to show); empty when the
// text holds a usable code, which is then its trimmed text from the first "+".
QString countryCodeRefusal(const QString& text);

// Names hold ASCII letters and blanks only.
bool isNameText(const QString& text);
// What the name filter leaves of a text: it drops characters from the end
// until the rest is clean, so everything from the first bad character on.
QString cleanName(const QString& text);

// The mobile field as its change filter rebuilds it: the trimmed text's
// digits (a trunk prefix dropped), and a "+" only as its first character.
QString filterMobile(const QString& text);
// The country box is usable while the mobile number is not international.
bool countryCodeEnabledFor(const QString& mobile);
// The mobile field's key filter for one typed character at caret position
// `caret`: digits, Backspace (8), Ctrl+V (22), and "+" at the start.
bool mobileKeyAccepted(QChar key, int caret);
// The character a key press types as that filter judges it: Backspace is 8,
// Enter 13, Esc 27; keys that move or delete and shortcuts (Ctrl+V) type none.
std::optional<QChar> typedCharacter(int key, Qt::KeyboardModifiers modifiers, const QString& text);

} // namespace NumberRules
