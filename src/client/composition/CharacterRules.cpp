#include "client/composition/CharacterRules.h"

#include "common/Val.h"
#include "common/Win1252.h"

namespace CharacterRules {

namespace {
constexpr int kPound = 163;
} // namespace

bool IsBarredKey(int code) {
    switch (code) {
    case 13:
    case '#':
    case '[':
    case '\\':
    case ']':
    case '^':
    case '{':
    case '|':
    case '}':
    case '~':
        return true;
    default:
        return false;
    }
}

bool isAllowedCode(int code) {
    return (code >= 1 && code <= 127) || code == kPound;
}

bool isNonAscii(QChar c) {
    const int code = Win1252::code(c);
    return code < 0 || (code >= 128 && code != kPound);
}

Verdict typed(QChar c) {
    const int code = Win1252::code(c);
    if (IsBarredKey(code))
        return Verdict::Drop;
    return isAllowedCode(code) ? Verdict::Accept : Verdict::Refuse;
}

bool IsAsciiText(const QString& text, QString& pastePosition) {
    long long start = leadingNumber(pastePosition);
    if (start < 1)
        start = 1;
    for (qsizetype i = start - 1; i < text.size(); ++i)
        if (isNonAscii(text[i]))
            return false;
    pastePosition.clear();
    return true;
}

bool isLineBreak(QChar c) {
    return c == '\r' || c == '\n' || c == QChar::ParagraphSeparator;
}

Pasted cleanPasted(const QString& text, LineBreaks breaks) {
    Pasted out;
    out.text.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (isLineBreak(c)) {
            if (breaks == LineBreaks::Keep) {
                out.text += c;
            } else {
                out.text += ' ';
                if (c == '\r' && i + 1 < n && text[i + 1] == '\n')
                    ++i;
            }
            continue;
        }
        const int code = Win1252::code(c);
        if (code == 0 || IsBarredKey(code))
            continue;
        if (!isAllowedCode(code))
            out.refused = true;
        out.text += c;
    }
    return out;
}

QString trimBlanks(const QString& text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text[from] == ' ')
        ++from;
    while (to > from && text[to - 1] == ' ')
        --to;
    return text.mid(from, to - from);
}

} // namespace CharacterRules
