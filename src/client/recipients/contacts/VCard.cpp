#include "client/recipients/contacts/ContactFiles.h"
#include "client/recipients/contacts/ContactNumber.h"

#include <QByteArrayList>
#include <QStringList>

namespace {

struct Property {
    QByteArray group; // "item1" of item1.TEL, upper case
    QByteArray name;  // upper case
    QByteArrayList types;
    QByteArray charset;
    bool quotedPrintable = false;
    QByteArray value;
};

struct Tel {
    QByteArray group;
    bool mobile = false;
    QString number;
};

struct Card {
    bool v21 = false;
    QString fn;
    QString n;
    QList<Tel> tels;
    QList<QPair<QByteArray, QString>> labels; // group -> X-ABLabel text
};

// Splits at `sep` outside double quotes.
QByteArrayList splitOutsideQuotes(const QByteArray& text, char sep) {
    QByteArrayList out;
    bool quoted = false;
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == sep && !quoted) {
            out << text.mid(from, i - from);
            from = i + 1;
        }
    }
    out << text.mid(from);
    return out;
}

qsizetype colonOutsideQuotes(const QByteArray& line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i;
    }
    return -1;
}

QByteArray unquote(QByteArray v) {
    v = v.trimmed();
    if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"'))
        v = v.mid(1, v.size() - 2);
    return v;
}

bool parseProperty(const QByteArray& line, Property& p) {
    const qsizetype colon = colonOutsideQuotes(line);
    if (colon <= 0)
        return false;
    p.value = line.mid(colon + 1);
    const QByteArrayList parts = splitOutsideQuotes(line.left(colon), ';');
    QByteArray name = parts.first().trimmed().toUpper();
    const qsizetype dot = name.lastIndexOf('.');
    if (dot >= 0) {
        p.group = name.left(dot);
        name = name.mid(dot + 1);
    }
    p.name = name;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray& param = parts[i];
        const qsizetype eq = param.indexOf('=');
        // vCard 2.1 writes bare parameters: TEL;CELL;VOICE and ;QUOTED-PRINTABLE.
        const QByteArray key = (eq < 0 ? QByteArray("TYPE") : param.left(eq).trimmed().toUpper());
        const QByteArray value = unquote(eq < 0 ? param : param.mid(eq + 1));
        if (key == "TYPE") {
            for (const QByteArray& t : value.split(','))
                p.types << unquote(t).toUpper();
            if (eq < 0 && value.toUpper() == "QUOTED-PRINTABLE")
                p.quotedPrintable = true;
        } else if (key == "ENCODING") {
            p.quotedPrintable = value.toUpper() == "QUOTED-PRINTABLE";
        } else if (key == "CHARSET") {
            p.charset = value;
        }
    }
    return true;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray decodeQuotedPrintable(const QByteArray& in) {
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 2 < in.size() && hexValue(in[i + 1]) >= 0 &&
            hexValue(in[i + 2]) >= 0) {
            out += char(hexValue(in[i + 1]) * 16 + hexValue(in[i + 2]));
            i += 2;
        } else {
            out += in[i];
        }
    }
    return out;
}

// Text values escape "\\", "\,", "\;" and line breaks as "\n".
QString unescape(const QString& v) {
    QString out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == '\\' && i + 1 < v.size()) {
            const QChar next = v[++i];
            out += (next == 'n' || next == 'N') ? QChar(' ') : next;
        } else {
            out += v[i];
        }
    }
    return out;
}

// Splits at separators that are not escaped.
QStringList splitUnescaped(const QString& v, QChar sep) {
    QStringList out;
    QString cur;
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == '\\' && i + 1 < v.size()) {
            cur += v[i];
            cur += v[++i];
        } else if (v[i] == sep) {
            out << cur;
            cur.clear();
        } else {
            cur += v[i];
        }
    }
    out << cur;
    return out;
}

// Given, additional and family name, as a mail program shows the full name.
QString nameFromN(const QString& n) {
    const QStringList parts = splitUnescaped(n, ';');
    QStringList words;
    for (int i : {1, 2, 0}) {
        if (i >= parts.size())
            continue;
        for (const QString& w : splitUnescaped(parts[i], ','))
            if (!unescape(w).trimmed().isEmpty())
                words << unescape(w).trimmed();
    }
    return words.join(' ');
}

// A tel: URI carries the number, then ;ext= and other parameters; its
// visual separators include ".".
QString telNumber(const QString& value) {
    QString v = value.trimmed();
    if (!v.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
        return v;
    v = v.mid(4);
    v = v.left(v.indexOf(';') < 0 ? v.size() : v.indexOf(';'));
    v.remove('.');
    return v;
}

void take(Card& card, const Property& p) {
    QByteArray raw = p.quotedPrintable ? decodeQuotedPrintable(p.value) : p.value;
    const QString value = ContactFiles::decodeCharset(raw, p.charset);
    if (p.name == "VERSION") {
        card.v21 = value.trimmed() == QLatin1String("2.1");
    } else if (p.name == "FN") {
        if (card.fn.isEmpty())
            card.fn = unescape(value).trimmed();
    } else if (p.name == "N") {
        if (card.n.isEmpty())
            card.n = nameFromN(value);
    } else if (p.name == "TEL") {
        const bool mobile = p.types.contains("CELL") || p.types.contains("MOBILE");
        card.tels.append({p.group, mobile, telNumber(value)});
    } else if (p.name == "X-ABLABEL" && !p.group.isEmpty()) {
        card.labels.append({p.group, value});
    }
}

RawContact finish(const Card& card) {
    RawContact c;
    c.fullName = card.fn.isEmpty() ? card.n : card.fn;
    QStringList mobiles;
    for (const Tel& t : card.tels) {
        bool mobile = t.mobile;
        for (const auto& [group, label] : card.labels)
            if (!t.group.isEmpty() && group == t.group &&
                (label.contains(QLatin1String("mobile"), Qt::CaseInsensitive) ||
                 label.contains(QLatin1String("cell"), Qt::CaseInsensitive)))
                mobile = true;
        if (mobile && !t.number.isEmpty())
            mobiles << t.number;
    }
    c.mobile = ContactNumber::preferredMobile(mobiles);
    return c;
}

QByteArrayList physicalLines(const QByteArray& bytes) {
    QByteArrayList lines;
    qsizetype from = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines << bytes.mid(from, i - from);
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            from = i + 1;
        }
    }
    if (from < bytes.size())
        lines << bytes.mid(from);
    return lines;
}

bool isQuotedPrintableLine(const QByteArray& line) {
    const qsizetype colon = colonOutsideQuotes(line);
    return colon > 0 && line.left(colon).toUpper().contains("QUOTED-PRINTABLE");
}

} // namespace

namespace VCard {

QList<RawContact> parse(const QByteArray& input) {
    QByteArray bytes = input;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        bytes = ContactFiles::decodeText(bytes).toUtf8();
    else if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.mid(3);

    QList<RawContact> out;
    Card card;
    int depth = 0;
    QByteArray lastName;
    const auto handle = [&](const QByteArray& logical) {
        Property p;
        if (!parseProperty(logical, p))
            return;
        const QByteArray value = p.value.trimmed().toUpper();
        if (p.name == "BEGIN" && value == "VCARD") {
            // Only a 2.1 AGENT nests a card; any other BEGIN inside a card
            // means that card was cut off, and the new one starts afresh.
            if (depth == 0 || lastName != "AGENT") {
                card = Card{};
                depth = 1;
            } else {
                ++depth;
            }
        } else if (p.name == "END" && value == "VCARD") {
            if (depth > 0 && --depth == 0)
                out << finish(card);
        } else if (depth == 1) {
            take(card, p);
        }
        lastName = p.name;
    };

    const QByteArrayList lines = physicalLines(bytes);
    QByteArray logical;
    bool have = false;
    for (const QByteArray& line : lines) {
        if (have && (line.startsWith(' ') || line.startsWith('\t'))) {
            // 2.1 folds at a blank that belongs to the value; later versions
            // add one.
            logical += card.v21 ? line : line.mid(1);
            continue;
        }
        if (have && logical.endsWith('=') && isQuotedPrintableLine(logical)) {
            logical.chop(1); // a soft line break
            logical += line;
            continue;
        }
        if (have)
            handle(logical);
        logical = line;
        have = true;
    }
    if (have)
        handle(logical);
    return out;
}

} // namespace VCard
