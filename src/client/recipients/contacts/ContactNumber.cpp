#include "client/recipients/contacts/ContactNumber.h"

#include "client/recipients/NumberEntry.h"

namespace ContactNumber {

QString CleanOutlookNumber(const QString& text) {
    if (text.isEmpty())
        return {};
    // Address books also write no-break and other wide blanks between groups,
    // and byte-order and direction marks around the number; control characters
    // from a damaged file would break the contact's line.
    QString n;
    n.reserve(text.size());
    for (QChar c : text)
        if (!c.isSpace() && c.category() != QChar::Other_Control &&
            c.category() != QChar::Other_Format)
            n += c;
    const qsizetype open = n.indexOf('(');
    if (open >= 0 && open + 1 < n.size() && n[open + 1] == '0') {
        if (open + 2 < n.size() && n[open + 2] == ')')
            n.remove(open, 3);
        else
            n.remove(open, 2);
    }
    QString out;
    out.reserve(n.size());
    for (QChar c : n)
        if (c != '(' && c != ')' && c != '-' && c != '[' && c != ']')
            out += c;
    return out.startsWith('+') ? out : QString();
}

QString preferredMobile(const QStringList& numbers) {
    for (const QString& n : numbers)
        if (!CleanOutlookNumber(n).isEmpty())
            return n;
    return numbers.value(0);
}

QString contactLine(const QString& fullName, const QString& cleanNumber) {
    QString name = fullName;
    for (QChar& c : name)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = ' ';
    return NumberEntry::withoutDirectionControls(name).trimmed() + ' ' + cleanNumber;
}

} // namespace ContactNumber
