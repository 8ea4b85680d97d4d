#pragma once

#include <QString>
#include <QStringList>

// The add-number dialog's country box: country name, two blanks, "+" and
// the dialling code, sorted alphabetically.
namespace CountryList {

// The 229 countries the dialog carries itself.
const QStringList& builtIn();
// The lines of Config\ISDCodes.dat, sorted; the built-in list when the file
// is missing or holds no line, so the box is never left empty.
QStringList forAddNumber(const QString& appPath);

} // namespace CountryList
