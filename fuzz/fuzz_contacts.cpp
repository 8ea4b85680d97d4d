// vCard and CSV address books: every contact becomes one line of the tree,
// a cleaned number is "+" and no separators and stays so when cleaned again,
// and cards written back from what was read read the same.
#include "FuzzSupport.h"
#include "client/recipients/contacts/ContactFiles.h"
#include "client/recipients/contacts/ContactNumber.h"

using Fuzz::check;

namespace {

bool plain(const QString& s) {
    for (QChar c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    return true;
}

void checkContacts(const QList<RawContact>& contacts) {
    for (const RawContact& c : contacts) {
        const QString number = ContactNumber::CleanOutlookNumber(c.mobile);
        check(number.isEmpty() || number.startsWith('+'), "number without +", number);
        check(ContactNumber::CleanOutlookNumber(number) == number,
              "number changes when cleaned again", c.mobile);
        const QString line = ContactNumber::contactLine(c.fullName, number);
        for (QChar ch : line)
            check(ch.category() != QChar::Other_Control && ch != QChar::LineSeparator &&
                      ch != QChar::ParagraphSeparator,
                  "contact is more than one line", line);
    }
}

QByteArray escaped(const QString& text) {
    QString out;
    for (QChar c : text) {
        if (c == '\\' || c == ',' || c == ';')
            out += '\\';
        out += c;
    }
    return out.toUtf8();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<RawContact> cards = VCard::parse(bytes);
    checkContacts(cards);
    checkContacts(ContactsCsv::parse(bytes));

    QList<RawContact> kept;
    QByteArray written;
    for (const RawContact& c : cards) {
        if (!plain(c.fullName) || !plain(c.mobile) ||
            c.mobile.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
            continue;
        kept << c;
        written += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + escaped(c.fullName) + "\r\n";
        if (!c.mobile.isEmpty())
            written += "TEL;TYPE=CELL:" + c.mobile.toUtf8() + "\r\n";
        written += "END:VCARD\r\n";
    }
    // Compared as the tree shows them: a "tel:" value's marks may read back
    // differently once the scheme is gone, its cleaned number may not.
    const auto shown = [](QList<RawContact> contacts) {
        for (RawContact& c : contacts)
            c.mobile = ContactNumber::CleanOutlookNumber(c.mobile);
        return contacts;
    };
    const QList<RawContact> again = VCard::parse(written);
    if (shown(again) != shown(kept)) {
        QString detail = QString::fromUtf8(written);
        for (const RawContact& c : again)
            detail += "\nread: " + c.fullName + " | " + c.mobile;
        Fuzz::fail("cards do not read back", detail);
    }
    return 0;
}
