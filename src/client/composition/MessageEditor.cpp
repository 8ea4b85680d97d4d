#include "client/composition/MessageEditor.h"

#include "client/composition/CharacterRules.h"

using namespace CharacterRules;

Notice MessageEditor::asciiOnly() {
    return {kAsciiOnly, Notice::kWarningTitle, Notice::Mark::Information};
}

MessageEditor::Keystroke MessageEditor::messageKey(QChar c) {
    const Verdict v = typed(c);
    if (v == Verdict::Refuse)
        return {false, asciiOnly()};
    return {v == Verdict::Accept, std::nullopt};
}

std::optional<Notice> MessageEditor::subjectFull(qsizetype subjectLength, int code) {
    if (subjectLength < SubjectLimit || code == 8)
        return std::nullopt;
    return Notice{kSubjectTooLong, Notice::kWarningTitle, Notice::Mark::Warning};
}

void MessageEditor::messageKeyDown(int boxPosition, qsizetype breaksAhead) {
    PastePosition = QString::number(messagePosition(boxPosition, breaksAhead));
}

std::optional<Notice> MessageEditor::messageLeft(const QString& text) {
    PastePosition = "1";
    return subjectLeft(text);
}

std::optional<Notice> MessageEditor::subjectLeft(const QString& text) {
    if (IsAsciiText(text, PastePosition))
        return std::nullopt;
    return asciiOnly();
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
