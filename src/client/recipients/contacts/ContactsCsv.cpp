#include "client/recipients/contacts/ContactFiles.h"
#include "client/recipients/contacts/ContactNumber.h"
#include "client/recipients/contacts/CsvReader.h"

#include <QHash>
#include <QStringList>

namespace {

int column(const QHash<QString, int>& header, std::initializer_list<const char*> names) {
    for (const char* n : names) {
        const auto it = header.constFind(QString::fromLatin1(n));
        if (it != header.constEnd())
            return *it;
    }
    return -1;
}

QString cell(const QStringList& row, int at) {
    return at >= 0 && at < row.size() ? row[at].trimmed() : QString();
}

} // namespace

namespace ContactsCsv {

MobileColumns mobileColumns(const QStringList& header) {
    MobileColumns out;
    QHash<QString, int> at;
    for (int i = 0; i < header.size(); ++i) {
        const QString name = header[i].trimmed().toLower();
        at.insert(name, i);
        if (kMobileHeadings.contains(name))
            out.plain << i;
    }
    // Google's exports: "Phone 1 - Type" (or "- Label") = Mobile, "Phone 1 - Value".
    for (int n = 1; n <= 9; ++n) {
        const QString p = QStringLiteral("phone %1 - ").arg(n);
        const int type = at.value(p + "type", at.value(p + "label", -1));
        const int value = at.value(p + "value", -1);
        if (type >= 0 && value >= 0)
            out.typed.append({type, value});
    }
    return out;
}

QStringList MobileColumns::of(const QStringList& row) const {
    QStringList numbers;
    for (int at : plain)
        numbers << cell(row, at);
    for (const auto& [type, value] : typed)
        if (cell(row, type).contains(QLatin1String("mobile"), Qt::CaseInsensitive))
            // Several numbers of one kind share a cell: "a ::: b".
            for (const QString& n : cell(row, value).split(QLatin1String(":::")))
                numbers << n.trimmed();
    numbers.removeAll(QString());
    return numbers;
}

QList<RawContact> parse(const QByteArray& bytes) {
    const QString text = ContactFiles::decodeText(bytes);
    const QList<CsvReader::Record> rows = CsvReader::records(text, CsvReader::separatorOf(text));
    if (rows.isEmpty())
        return {};
    const QStringList& heading = rows.first().fields;
    const MobileColumns mobiles = mobileColumns(heading);
    if (mobiles.isEmpty())
        return {};
    QHash<QString, int> header;
    for (int i = 0; i < heading.size(); ++i)
        header.insert(heading[i].trimmed().toLower(), i);
    const int full = column(header, {"display name", "full name", "name"});
    const int first = column(header, {"first name", "given name"});
    const int middle = column(header, {"middle name", "additional name"});
    const int last = column(header, {"last name", "family name"});

    QList<RawContact> out;
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const QStringList& row = rows[r].fields;
        RawContact c;
        c.fullName = cell(row, full);
        if (c.fullName.isEmpty()) {
            QStringList words;
            for (int at : {first, middle, last})
                if (!cell(row, at).isEmpty())
                    words << cell(row, at);
            c.fullName = words.join(' ');
        }
        c.mobile = ContactNumber::preferredMobile(mobiles.of(row));
        out << c;
    }
    return out;
}

} // namespace ContactsCsv
