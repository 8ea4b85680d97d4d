#pragma once

#include <QString>
#include <QStringList>

// The mobile number of an address-book contact as the Number List takes it.
namespace ContactNumber {

// Blanks and the brackets, dashes and square brackets around groups of
// digits go; a "(0)" or the "0" after the first "(" is the national trunk
// prefix and goes too. Empty unless the result starts with "+": a number in
// national form cannot be dialled from another country, so it is skipped.
QString CleanOutlookNumber(const QString& text);

// Of a contact's mobile numbers, the first that cleans to an international
// number (a contact may hold a national one first); else the first, which is
// then skipped as national. "" when there is none.
QString preferredMobile(const QStringList& numbers);

// The tree's and OutlookContact.dat's line: the name, ONE blank, the number.
// Line breaks and other control characters in a name become blanks, so a
// contact always stays one line; direction controls go.
QString contactLine(const QString& fullName, const QString& cleanNumber);

} // namespace ContactNumber
