#include "client/recipients/contacts/ContactFiles.h"

#include <QHash>
#include <QStringList>

namespace {

// The separator of the header line: the one of comma, semicolon and tab
// found most often outside quotes (exports follow the system's list separator).
QChar separatorOf(const QString& text) {
    int comma = 0, semicolon = 0, tab = 0;
    bool quoted = false;
    for (QChar c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted && c == ',')
            ++comma;
        else if (!quoted && c == ';')
            ++semicolon;
        else if (!quoted && c == '\t')
            ++tab;
    }
    if (semicolon > comma && semicolon >= tab)
        return ';';
    return tab > comma ? QChar('\t') : QChar(',');
}

// RFC 4180 records: quoted fields may hold separators, line breaks and "".
QList<QStringList> records(const QString& text, QChar sep) {
    QList<QStringList> out;
    QStringList row;
    QString field;
    bool quoted = false;
    bool any = false;
    const auto endField = [&] {
        row << field;
        field.clear();
    };
    const auto endRow = [&] {
        endField();
        if (any)
            out << row;
        row.clear();
        any = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
            any = true;
        } else if (c == sep) {
            endField();
            any = true;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            endRow();
        } else {
            field += c;
            any = any || !c.isSpace();
        }
    }
    if (any || !field.isEmpty())
        endRow();
    return out;
}

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

QList<RawContact> parse(const QByteArray& bytes) {
    const QString text = ContactFiles::decodeText(bytes);
    const QList<QStringList> rows = records(text, separatorOf(text));
    if (rows.isEmpty())
        return {};
    QHash<QString, int> header;
    for (int i = 0; i < rows.first().size(); ++i)
        header.insert(rows.first()[i].trimmed().toLower(), i);

    const int mobile = column(header, {"mobile phone", "mobile number", "mobile"});
    // Google's exports: "Phone 1 - Type" (or "- Label") = Mobile, "Phone 1 - Value".
    QList<QPair<int, int>> phones;
    for (int n = 1; n <= 9; ++n) {
        const QString p = QStringLiteral("phone %1 - ").arg(n);
        const int type = header.value(p + "type", header.value(p + "label", -1));
        const int value = header.value(p + "value", -1);
        if (type >= 0 && value >= 0)
            phones.append({type, value});
    }
    if (mobile < 0 && phones.isEmpty())
        return {};
    const int full = column(header, {"display name", "full name", "name"});
    const int first = column(header, {"first name", "given name"});
    const int middle = column(header, {"middle name", "additional name"});
    const int last = column(header, {"last name", "family name"});

    QList<RawContact> out;
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const QStringList& row = rows[r];
        RawContact c;
        c.fullName = cell(row, full);
        if (c.fullName.isEmpty()) {
            QStringList words;
            for (int at : {first, middle, last})
                if (!cell(row, at).isEmpty())
                    words << cell(row, at);
            c.fullName = words.join(' ');
        }
        c.mobile = cell(row, mobile);
        for (const auto& [type, value] : phones) {
            if (!c.mobile.isEmpty())
                break;
            if (cell(row, type).contains(QLatin1String("mobile"), Qt::CaseInsensitive))
                // Several numbers of one kind share a cell: "a ::: b".
                c.mobile = cell(row, value).section(QLatin1String(":::"), 0, 0).trimmed();
        }
        out << c;
    }
    return out;
}

} // namespace ContactsCsv
