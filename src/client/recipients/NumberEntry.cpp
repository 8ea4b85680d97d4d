#include "client/recipients/NumberEntry.h"

namespace NumberEntry {

namespace {

bool isDigit(QChar c) {
    return c >= '0' && c <= '9';
}

// Digits from `at` on; returns how many.
qsizetype skipDigits(QStringView text, qsizetype& at) {
    const qsizetype from = at;
    while (at < text.size() && isDigit(text[at]))
        ++at;
    return at - from;
}

} // namespace

bool isNumberText(QStringView text) {
    qsizetype at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    qsizetype digits = skipDigits(text, at);
    if (at < text.size() && text[at] == '.') {
        ++at;
        digits += skipDigits(text, at);
    }
    if (digits == 0)
        return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            ++at;
        if (skipDigits(text, at) == 0)
            return false;
    }
    return at == text.size();
}

bool IsValidNumberEntry(const QString& line) {
    if (line.size() > MaxLength)
        return false;
    const QString t = line.trimmed();
    const qsizetype plus = t.indexOf('+');
    if (t.isEmpty() || plus < 0)
        return false;
    return isNumberText(QStringView(t).mid(plus + 1).trimmed());
}

QString make(const QString& name, const QString& number) {
    return name + "  " + number;
}

QString withoutDirectionControls(QString line) {
    line.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
    });
    return line;
}

QString displayText(const QString& line) {
    const qsizetype plus = line.lastIndexOf('+');
    if (plus < 0)
        return line;
    // A left-to-right isolate around the number: U+2066 ... U+2069.
    return line.left(plus) + QChar(0x2066) + line.mid(plus) + QChar(0x2069);
}

} // namespace NumberEntry
