#include "client/composition/CharacterRules.h"
#include "client/composition/MessageEditor.h"
#include "support/ScriptedMessageBox.h"

#include <QList>
#include <gtest/gtest.h>

using namespace CharacterRules;

namespace {
const QString kAscii = "This version of Quorvel supports only ASCII characters.";
const QString kSubjectFull = "Quorvel Subject length is 100 characters.";
const QChar kPara = QChar::ParagraphSeparator;
} // namespace

TEST(CharacterRules, ExactlyTheTenCodesAreBarred) {
    QList<int> barred;
    for (int code = 0; code < 256; ++code)
        if (IsBarredKey(code))
            barred << code;
    EXPECT_EQ(barred, (QList<int>{13, 35, 91, 92, 93, 94, 123, 124, 125, 126}));
}

// Barred keys vanish without a word; refused ones give the ASCII message.
TEST(CharacterRules, TypedCharactersAreJudgedOnTheirWindows1252Code) {
    struct Case {
        char16_t c;
        Verdict v;
    } cases[] = {
        {'a', Verdict::Accept},    {' ', Verdict::Accept},    {'\t', Verdict::Accept},
        {0x7F, Verdict::Accept},   {0x00A3, Verdict::Accept}, // pound sign, 163
        {'#', Verdict::Drop},      {'~', Verdict::Drop},      {'\r', Verdict::Drop},
        {0x00E9, Verdict::Refuse}, // é, 233
        {0x20AC, Verdict::Refuse}, // euro sign, 128 in Windows-1252
        {0x00A0, Verdict::Refuse}, // no-break space, 160
        {0x200F, Verdict::Refuse}, // right-to-left mark: no Windows-1252 code
        {0xD83D, Verdict::Refuse}, // half of an emoji
        {0x0000, Verdict::Refuse},
    };
    for (const Case& c : cases) {
        ScriptedMessageBox boxes;
        EXPECT_EQ(typed(QChar(c.c)), c.v) << int(c.c);
        EXPECT_EQ(MessageEditor::messageKey(QChar(c.c)), c.v == Verdict::Accept) << int(c.c);
        EXPECT_EQ(boxes.texts(), c.v == Verdict::Refuse ? QStringList{kAscii} : QStringList())
            << int(c.c);
        if (c.v == Verdict::Refuse) {
            EXPECT_TRUE(boxes.lastIs("Quorvel Warning", MessageBox::Icon::Information));
        }
    }
}

// Code 0: a key the character test refused, which still meets this rule.
TEST(MessageEditor, AFullSubjectTakesBackspaceOnly) {
    struct Case {
        qsizetype length;
        int code;
        bool room;
    } cases[] = {{99, 'x', true}, {100, 'x', false}, {100, 8, true},
                 {100, 0, false}, {0, 0, true},      {250, 8, true}};
    for (const Case& c : cases) {
        ScriptedMessageBox boxes;
        EXPECT_EQ(MessageEditor::subjectHasRoom(c.length, c.code), c.room) << c.length;
        EXPECT_EQ(boxes.texts(), c.room ? QStringList() : QStringList{kSubjectFull});
        if (!c.room) {
            EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);
        }
    }
}

TEST(CharacterRules, IsAsciiTextExaminesFromThePastePosition) {
    const QString text = QString("ab") + QChar(0x00E9) + QString::fromLatin1("cd\xA3"); // é at 3
    struct Case {
        const char* position;
        bool ok;
    } cases[] = {
        {"", false}, {"0", false}, {"1", false},  {"3", false}, {"4", true},
        {"6", true}, {"99", true}, {"-5", false}, {"x", false}, // not a number: from the start
    };
    for (const Case& c : cases) {
        QString pos = c.position;
        EXPECT_EQ(IsAsciiText(text, pos), c.ok) << c.position;
        EXPECT_EQ(pos, c.ok ? QString() : QString(c.position)) << "cleared only on success";
        // The message is checked whole at loss of focus, the subject from the caret.
        ScriptedMessageBox boxes;
        MessageEditor e;
        e.PastePosition = c.position;
        EXPECT_FALSE(e.messageLeft(text));
        e.PastePosition = c.position;
        EXPECT_EQ(e.subjectLeft(text), c.ok) << c.position;
        EXPECT_EQ(boxes.texts(), QStringList(c.ok ? 1 : 2, kAscii));
    }
}

// Text that arrives other than by typing, our own markers included.
TEST(CharacterRules, PastedTextLosesBarredCharactersAndNul) {
    struct Case {
        QString in;
        LineBreaks breaks;
        QString out;
        bool refused;
    } cases[] = {
        {QString("a#b[c\\d]e^f{g|h}i~j") + QChar(0) + QString::fromLatin1("k\tl\xA3"),
         LineBreaks::Keep, QString::fromLatin1("abcdefghijk\tl\xA3"), false},
        {"Accepted::[12] #1 Processing::", LineBreaks::Keep, "Accepted::12 1 Processing::", false},
        {"a\r\nb\rc\nd", LineBreaks::Keep, "a\r\nb\rc\nd", false},
        {"a\r\nb\rc\n\nd#", LineBreaks::Space, "a b c  d", false},
        {QString("caf") + QChar(0x00E9) + "#", LineBreaks::Keep, QString("caf") + QChar(0xE9),
         true},
        {QString("hi ") + QChar(0xD83D) + QChar(0xDE00), LineBreaks::Space,
         QString("hi ") + QChar(0xD83D) + QChar(0xDE00), true},
        {QString(QChar(0x200F)) + "a", LineBreaks::Keep, QString(QChar(0x200F)) + "a", true},
        {QString(QChar(0xFFFD)), LineBreaks::Keep, QString(QChar(0xFFFD)), true},
        {QString(10000, 'x'), LineBreaks::Keep, QString(10000, 'x'), false},
    };
    for (const Case& c : cases) {
        const Pasted out = cleanPasted(c.in, c.breaks);
        EXPECT_EQ(out.text, c.out);
        EXPECT_EQ(out.refused, c.refused) << c.in.toStdString();
    }
}

// The box shows every break alike; the message counts each as it came (a
// CR LF two) and at loss of focus turns each CR and each LF into one blank.
TEST(MessageEditor, InsertedBreaksCountAsInTheTextTheyCameFrom) {
    const QString shown = QString("one%1two%1three%1%1four").arg(kPara);
    struct Case {
        QStringList sources;
        QList<int> lengths;
    } cases[] = {
        {{"one\r\ntwo\nthree\r\r\nfour"}, {2, 1, 1, 2}},
        {{"", "other", "one\r\ntwo\r\nthree\r\n\r\nfour"}, {2, 2, 2, 2}},
        {{"one\r\ntwo\nthree"}, {1, 1, 1, 1}}, // not what was inserted: set by the program
        {{}, {1, 1, 1, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MessageEditor::insertedLengths(shown, 4, c.sources), c.lengths)
            << c.sources.join('|').toStdString();
    EXPECT_TRUE(MessageEditor::insertedLengths("x", 0, {"x"}).isEmpty());

    MessageEditor e;
    e.breaksChanged(0, 4, 4, {2, 1, 1, 2});
    EXPECT_EQ(e.breaks().spaced(shown), "one  two three   four");
    EXPECT_EQ(e.messageLength(19), 21);
    EXPECT_EQ(e.recount(0, 19, 10).total, 31);
    EXPECT_EQ(e.messagePosition(5, 1), 6) << "the caret after the CR LF";
    e.breaksChanged(1, 1, 3, {2}); // the second and third give way to one CR LF
    EXPECT_EQ(e.messageLength(19), 22);
    e.restoreBreaks(e.breaksBefore()); // and undone
    EXPECT_EQ(e.messageLength(19), 21);
    e.breaksChanged(0, 0, 5, {}); // never expected: one character each
    EXPECT_EQ(e.messageLength(19), 19);
}
