#include "client/composition/MessageEditor.h"

#include "client/composition/CharacterRules.h"
#include "common/MessageBox.h"

using namespace CharacterRules;

namespace {
void showAsciiOnly() {
    MessageBox::show(kAsciiOnly, kQuorvelWarning, MessageBox::Icon::Information);
}
} // namespace

bool MessageEditor::messageKey(QChar c) {
    const Verdict v = typed(c);
    if (v == Verdict::Refuse)
        showAsciiOnly();
    return v == Verdict::Accept;
}

bool MessageEditor::subjectHasRoom(qsizetype subjectLength, int code) {
    if (subjectLength < SubjectLimit || code == 8)
        return true;
    MessageBox::show(kSubjectTooLong, kQuorvelWarning, MessageBox::Icon::Warning);
    return false;
}

void MessageEditor::messageKeyDown(int boxPosition, qsizetype breaksAhead) {
    PastePosition = QString::number(messagePosition(boxPosition, breaksAhead));
}

bool MessageEditor::messageLeft(const QString& text) {
    PastePosition = "1";
    return subjectLeft(text);
}

bool MessageEditor::subjectLeft(const QString& text) {
    if (IsAsciiText(text, PastePosition))
        return true;
    showAsciiOnly();
    return false;
}

void MessageEditor::breaksChanged(qsizetype firstBreak, qsizetype inserted, qsizetype breaksNow,
                                  const QList<int>& lengths) {
    m_breaksBefore = m_breaks;
    m_breaks.replace(firstBreak, m_breaks.count() - breaksNow + inserted, lengths);
    if (m_breaks.count() != breaksNow) // never expected: fall back to one character each
        m_breaks.replace(0, m_breaks.count(), QList<int>(breaksNow, 1));
}

QList<int> MessageEditor::insertedLengths(const QString& inserted, qsizetype breaks,
                                          const QStringList& sources) {
    if (breaks <= 0)
        return {};
    for (const QString& source : sources)
        if (!source.isEmpty() && PastedLineBreaks::asParagraphs(source) == inserted)
            return PastedLineBreaks::lengthsIn(source);
    return QList<int>(breaks, 1);
}

Counters::Values MessageEditor::recount(qsizetype subjectLength, qsizetype boxCharacters,
                                        long long signature) {
    const auto v = Counters::afterEdit(subjectLength, messageLength(boxCharacters), signature);
    if (v.message == 0)
        m_split.rearm();
    return v;
}
