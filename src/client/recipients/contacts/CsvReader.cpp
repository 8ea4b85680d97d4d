#include "client/recipients/contacts/CsvReader.h"

namespace CsvReader {

QChar separatorOf(const QString& text) {
    int comma = 0, semicolon = 0, tab = 0;
    bool quoted = false;
    bool any = false; // blank lines before the header are passed over
    for (QChar c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == '\n' || c == '\r') {
            if (any)
                break;
        } else if (c == ',')
            ++comma;
        else if (c == ';')
            ++semicolon;
        else if (c == '\t')
            ++tab;
        any = any || !c.isSpace();
    }
    if (semicolon > comma && semicolon >= tab)
        return ';';
    return tab > comma ? QChar('\t') : QChar(',');
}

QList<Record> records(const QString& text, QChar sep) {
    QList<Record> out;
    Record row;
    QString field;
    bool quoted = false;
    bool any = false;
    int line = 1;
    row.line = line;
    const auto endField = [&] {
        row.fields << field;
        field.clear();
    };
    const auto endRow = [&] {
        endField();
        if (any)
            out << row;
        row = Record{line + 1, {}};
        any = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool lineEnd =
            c == '\n' || (c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
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
                continue; // the LF ends the row
            endRow();
        } else {
            field += c;
            any = any || !c.isSpace();
        }
        if (lineEnd)
            ++line;
    }
    if (any || !field.isEmpty())
        endRow();
    return out;
}

} // namespace CsvReader
