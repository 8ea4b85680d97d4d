#include "client/composition/PastedLineBreaks.h"

#include <algorithm>

namespace {

// What the box turns into a paragraph break besides CR and LF: its own
// separator and its frame markers.
bool isParagraphBreak(QChar c) {
    return c == '\r' || c == '\n' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) ||
           c == QChar(0xFDD1);
}

bool isPair(const QString& text, qsizetype i) {
    return text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
}

} // namespace

QList<int> PastedLineBreaks::lengthsIn(const QString& text) {
    QList<int> out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isParagraphBreak(text[i]))
            continue;
        if (isPair(text, i)) {
            out << 2;
            ++i;
        } else {
            out << 1;
        }
    }
    return out;
}

QString PastedLineBreaks::asParagraphs(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isParagraphBreak(text[i])) {
            out += text[i];
            continue;
        }
        out += QChar::ParagraphSeparator;
        if (isPair(text, i))
            ++i;
    }
    return out;
}

void PastedLineBreaks::replace(qsizetype first, qsizetype erased, const QList<int>& inserted) {
    first = std::clamp<qsizetype>(first, 0, m_lengths.size());
    erased = std::clamp<qsizetype>(erased, 0, m_lengths.size() - first);
    if (erased == 0 && inserted.isEmpty())
        return;
    m_pairs -= std::count(m_lengths.cbegin() + first, m_lengths.cbegin() + first + erased, 2);
    m_lengths = m_lengths.first(first) + inserted + m_lengths.sliced(first + erased);
    m_pairs += std::count(inserted.cbegin(), inserted.cend(), 2);
}

qsizetype PastedLineBreaks::extraBefore(qsizetype breaks) const {
    breaks = std::clamp<qsizetype>(breaks, 0, m_lengths.size());
    return std::count(m_lengths.cbegin(), m_lengths.cbegin() + breaks, 2);
}

QString PastedLineBreaks::spaced(const QString& paragraphs) const {
    QString out;
    out.reserve(paragraphs.size() + m_pairs);
    qsizetype next = 0;
    for (QChar c : paragraphs) {
        if (c != QChar::ParagraphSeparator) {
            out += c;
            continue;
        }
        out += ' ';
        if (next < m_lengths.size() && m_lengths[next++] == 2)
            out += ' ';
    }
    return out;
}
