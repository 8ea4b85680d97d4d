#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// One item of an address book as its file holds it: the full name and the
// mobile number before cleaning (either may be empty).
struct RawContact {
    QString fullName;
    QString mobile;
    bool operator==(const RawContact&) const = default;
};

namespace ContactFiles {

// Text of a file whose encoding nobody wrote down: a byte-order mark decides,
// else UTF-8 when the bytes are valid UTF-8, else Windows-1252 (what the
// mail programs of that system write).
QString decodeText(const QByteArray& bytes);
// Bytes whose charset a file names ("UTF-8", "ISO-8859-1", "windows-1252",
// ...); unknown or empty names fall back to decodeText.
QString decodeCharset(const QByteArray& bytes, const QByteArray& charset);

} // namespace ContactFiles

namespace VCard {

// Every card of a .vcf file (vCard 2.1, 3.0 or 4.0), in file order; a card
// cut off before its END:VCARD is dropped. FullName is FN, else the name
// built from N; the mobile number is the one ContactNumber::preferredMobile
// takes of the TELs typed cell or mobile (also through an Apple-style group
// label such as item1.X-ABLabel:mobile).
QList<RawContact> parse(const QByteArray& bytes);

} // namespace VCard

namespace ContactsCsv {

// Headings of a mobile-number column in the common exports, in lower case.
inline const QStringList kMobileHeadings = {QStringLiteral("mobile phone"),
                                            QStringLiteral("mobile number"),
                                            QStringLiteral("mobile"),
                                            QStringLiteral("cell"),
                                            QStringLiteral("home mobile"),
                                            QStringLiteral("mobiltelefon"),
                                            QString::fromUtf8("téléphone mobile"),
                                            QStringLiteral("cellulare"),
                                            QString::fromUtf8("móvil")};

// The columns a header line gives for mobile numbers: those headed as in
// kMobileHeadings, and "Phone n - Type" (or "- Label") and "Phone n - Value"
// pairs whose type says Mobile.
struct MobileColumns {
    QList<int> plain;
    QList<QPair<int, int>> typed; // type column, value column
    bool isEmpty() const { return plain.isEmpty() && typed.isEmpty(); }
    // A row's mobile numbers, left to right, empty cells left out.
    QStringList of(const QStringList& row) const;
};
MobileColumns mobileColumns(const QStringList& header);

// The rows of a mail program's CSV export with a mobile column; the mobile is
// the first of the row's that ContactNumber::preferredMobile takes. The name
// from a full-name column ("Display Name", "Full Name", "Name") when filled,
// else first, middle and last name. No mobile column: no items.
QList<RawContact> parse(const QByteArray& bytes);

} // namespace ContactsCsv
