#pragma once

#include "client/composition/Counters.h"
#include "client/composition/PastedLineBreaks.h"
#include "client/composition/SplitWarning.h"
#include "common/Notice.h"

#include <QString>
#include <QStringList>
#include <optional>

// The rules of the subject and message boxes apart from the boxes: what a
// typed key does, the caret position the focus-loss checks start from, what
// each line break of the message stood for, the counters and the split
// warning. The window hands it the boxes' events and shows the notices it
// answers with.
class MessageEditor {
public:
    static constexpr int SubjectLimit = 100;
    static inline const QString kSubjectTooLong =
        QStringLiteral("Quorvel Subject length is 100 characters.");

    static Notice asciiOnly();

    struct Keystroke {
        bool accepted = false;
        // The ASCII notice when the rules refuse the character rather than bar it.
        std::optional<Notice> notice;
    };
    static Keystroke messageKey(QChar c);
    // After the character test, with the key's code (0 when the test refused
    // it): a full subject takes Backspace only. The subject-length notice
    // when the key is dropped; none when there is room.
    static std::optional<Notice> subjectFull(qsizetype subjectLength, int code);

    // The caret position recorded at the last key-down in either box, in the
    // message as it will be sent (a pasted CR LF counts two).
    QString PastePosition;
    // `breaksAhead`: the line breaks the box shows before the position.
    void messageKeyDown(int boxPosition, qsizetype breaksAhead);
    void subjectKeyDown(int position) { PastePosition = QString::number(position); }
    // Focus loss: the ASCII notice when the text holds a refused character,
    // and the box takes the focus back; none when it keeps to the rules. The
    // message is examined whole, the subject from the recorded caret.
    std::optional<Notice> messageLeft(const QString& text);
    std::optional<Notice> subjectLeft(const QString& text);

    // A change of the message box: its breaks from `firstBreak` on gave way
    // to `inserted` breaks standing for `lengths`; the box now shows
    // `breaksNow`.
    void breaksChanged(qsizetype firstBreak, qsizetype inserted, qsizetype breaksNow,
                       const QList<int>& lengths);
    // Before the last change; an undo brings those back.
    PastedLineBreaks breaksBefore() const { return m_breaksBefore; }
    void restoreBreaks(const PastedLineBreaks& breaks) { m_breaks = breaks; }
    // What each of `breaks` inserted breaks stood for: as in the first source
    // the box shows as `inserted` (paragraph separators for breaks), else one
    // character each (text the program sets, typed text).
    static QList<int> insertedLengths(const QString& inserted, qsizetype breaks,
                                      const QStringList& sources);
    const PastedLineBreaks& breaks() const { return m_breaks; }
    qsizetype messageLength(qsizetype boxCharacters) const {
        return boxCharacters + m_breaks.extra();
    }
    int messagePosition(int boxPosition, qsizetype breaksAhead) const {
        return boxPosition + int(m_breaks.extraBefore(breaksAhead));
    }

    // After an edit of either box; an empty message and subject is a new
    // message, for which the split warning may come again.
    Counters::Values recount(qsizetype subjectLength, qsizetype boxCharacters, long long signature);
    SplitWarning& splitWarning() { return m_split; }

private:
    PastedLineBreaks m_breaks;
    PastedLineBreaks m_breaksBefore; // before the last change
    SplitWarning m_split;
};
