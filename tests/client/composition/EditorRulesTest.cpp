#include "client/composition/CharacterRules.h"
#include "client/composition/MessageEditor.h"
#include "client/composition/QuickMessageList.h"
#include "client/composition/SignatureFile.h"
#include "support/BoxLines.h"
#include "support/TestInstallation.h"

#include <QList>
#include <gtest/gtest.h>

using namespace CharacterRules;

namespace {
const QString kAscii = "This version of Quorvel supports only ASCII characters.";
const QString kSubjectFull = "Quorvel Subject length is 100 characters.";
const QChar kPara = QChar::ParagraphSeparator;

const QString kAsciiShown = "Quorvel Warning|info|" + kAscii;
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
    const std::pair<Verdict, QString> cases[] = {
        {Verdict::Accept, QString("a \t\x7F") + QChar(0xA3)}, // pound sign, 163
        {Verdict::Drop, "#~\r"},
        // é (233), euro sign (128 in Windows-1252), no-break space (160), a
        // right-to-left mark (no Windows-1252 code), half of an emoji, NUL
        {Verdict::Refuse,
         QString::fromUtf16(u"\u00E9\u20AC\u00A0\u200F") + QChar(0xD83D) + QChar(0)},
    };
    for (const auto& [v, chars] : cases) {
        for (QChar c : chars) {
            SCOPED_TRACE(int(c.unicode()));
            EXPECT_EQ(typed(c), v);
            const auto key = MessageEditor::messageKey(c);
            EXPECT_EQ(key.accepted, v == Verdict::Accept);
            EXPECT_EQ(boxLine(key.notice), v == Verdict::Refuse ? kAsciiShown : "");
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
    for (const Case& c : cases)
        EXPECT_EQ(boxLine(MessageEditor::subjectFull(c.length, c.code)),
                  c.room ? "" : kWarn + kSubjectFull)
            << c.length;
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
        MessageEditor e;
        e.PastePosition = c.position;
        EXPECT_EQ(boxLine(e.messageLeft(text)), kAsciiShown);
        e.PastePosition = c.position;
        EXPECT_EQ(boxLine(e.subjectLeft(text)), c.ok ? "" : kAsciiShown) << c.position;
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
        {"a\r\nb\rc\n\nd#\t", LineBreaks::Space, "a b c  d\t", false},
        {QString("caf") + QChar(0x00E9) + "#", LineBreaks::Keep, QString("caf") + QChar(0xE9),
         true},
        {QString("hi ") + QChar(0xD83D) + QChar(0xDE00), LineBreaks::Space,
         QString("hi ") + QChar(0xD83D) + QChar(0xDE00), true},
        {QString(QChar(0x200F)) + "a", LineBreaks::Keep, QString(QChar(0x200F)) + "a", true},
        {QString(QChar(0xFFFD)), LineBreaks::Keep, QString(QChar(0xFFFD)), true},
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
    e.breaksChanged(0, 0, 5, {}); // never expected: one character each
    EXPECT_EQ(e.messageLength(19), 19);
}

TEST(Counters, ASubjectAddsItsTwoParenthesesOnlyAfterAnEdit) {
    const auto none = Counters::afterEdit(0, 150, 30), two = Counters::afterEdit(2, 150, 30);
    EXPECT_EQ(QList<long long>({none.message, none.total, two.message, two.total}),
              QList<long long>({150, 180, 154, 184}));
    // At start-up, at the signature switch and at its Accept: none.
    EXPECT_EQ(Counters::plainTotal(2, 30, 150), 182);
    EXPECT_EQ(Counters::totalAfterSignatureAccept("154", 53), 207);
    EXPECT_EQ(Counters::totalAfterSignatureAccept("", 53), 53);
    EXPECT_EQ(Counters::signatureAfterAccept(true, "  abc  "), 30);
    EXPECT_EQ(Counters::signatureAfterAccept(false, "  abc  "), 3);
    EXPECT_EQ(Counters::signatureAfterAccept(false, " \tabc\t "), 5) << "tabs are no blanks";
    EXPECT_EQ(Counters::value(" 184"), 184);
    EXPECT_EQ(Counters::value(""), 0);
}

// Every check colours (white up to the limit, orange above); the warning
// comes once per message, and again once re-armed.
TEST(SplitWarning, WhiteUpToTheLimitOrangeAboveWithOneWarningPerMessage) {
    SplitWarning w;
    QStringList checks;
    const auto check = [&](long long total) {
        const auto c = w.check(total, 160);
        checks << (c.colour == kOrange  ? "orange"
                   : c.colour == kWhite ? "white"
                                        : "?") +
                      QString(c.warning ? " warned" : "");
        return c;
    };
    for (long long total : {160, 161, 20, 400})
        check(total);
    w.rearm();
    EXPECT_EQ(boxLine(check(161).warning),
              "Quorvel Warning|warn|Quorvel Subject + Message + Signature length is "
              "greater than 160 characters.\r\nThe message text will be broken into two or more "
              "messages.");
    EXPECT_EQ(checks, (QStringList{"white", "orange warned", "white", "orange", "orange warned"}));
}

TEST(MessageEditor, EmptyingBothBoxesMakesANewMessageThatMayWarnAgain) {
    MessageEditor e;
    e.splitWarning().check(161, 160);
    EXPECT_EQ(e.recount(1, 0, 30).message, 3);
    EXPECT_EQ(e.recount(0, 1, 30).message, 1);
    EXPECT_TRUE(e.splitWarning().given()) << "either box still holds text";
    EXPECT_EQ(e.recount(0, 0, 30).total, 30);
    EXPECT_FALSE(e.splitWarning().given());
}

TEST(SignatureFile, TheLastLineDecidesFlagTextAndCounter) {
    using Kind = SignatureFile::Kind;
    struct Case {
        QByteArray file;
        Kind kind;
        QString shown; // pageInfo, PageFlag, counter, text
    } cases[] = {
        {"PAGEIN- Message sent by Quorvel.\r\n", Kind::PageIn,
         "1 PAGEIN 53 - Message sent by Quorvel."},
        {"NOPAGEWalter\r\n", Kind::NoPage, "0 NOPAGE 6 Walter"},
        {"Hello World\r\n", Kind::Bare, "1 PAGEIN 11 Hello World"},
        {"NOPAGEold\r\nPAGEINnew\r\n", Kind::PageIn, "1 PAGEIN 30 new"},
        {"PAGEIN\r\n", Kind::PageIn, "1 PAGEIN 27 "},
        {"pageinabc", Kind::Bare, "1 PAGEIN 9 pageinabc"},
        {"NOPAGEx\r\n\r\n", Kind::Empty, "0  0 "},
        {"", Kind::Empty, "0  0 "},
        {"<missing>", Kind::Empty, "0  0 "},
        // Damage: what a signature may not hold goes, the rest is cut to 30.
        {QByteArray("NOPAGEa#b\351c\0d", 13), Kind::NoPage, "0 NOPAGE 4 abcd"},
        {"PAGEIN" + QByteArray(1 << 20, 'z'), Kind::PageIn,
         "1 PAGEIN 57 zzzzzzzzzzzzzzzzzzzzzzzzzzzzzz"},
        {"\xff\xfe###", Kind::Empty, "0  0 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.left(40).toStdString());
        TestInstallation inst;
        if (c.file == "<missing>")
            inst.remove("Config\\Sign.cfg");
        else
            inst.writeBytes("Config\\Sign.cfg", c.file);
        const SignatureFile s = SignatureFile::read(inst.appPath());
        EXPECT_EQ(s.kind(), c.kind);
        EXPECT_EQ(QString("%1 %2 %3 %4")
                      .arg(int(s.pageInfo()))
                      .arg(s.PageFlag())
                      .arg(s.counterLength())
                      .arg(s.text()),
                  c.shown);
    }
}

TEST(SignatureFile, WrittenAsOneLineOfFlagAndTrimmedText) {
    TestInstallation inst;
    inst.writeBytes("Config\\Sign.cfg", "NOPAGEold\r\nNOPAGEolder\r\n");
    // Only blanks are trimmed: a tab around the text is part of it.
    ASSERT_TRUE(SignatureFile::write(inst.appPath(), false, " \tBob\t "));
    EXPECT_EQ(inst.bytes("Config\\Sign.cfg"), QByteArray("NOPAGE\tBob\t\r\n"));
    EXPECT_EQ(SignatureFile::read(inst.appPath()).text(), "\tBob\t");
    ASSERT_TRUE(SignatureFile::write(inst.appPath(), false, QString::fromLatin1("Price \xA3")));
    EXPECT_EQ(inst.bytes("Config\\Sign.cfg"), QByteArray("NOPAGEPrice \xA3\r\n"));
}

// An empty line is an entry too; a 1 MB line is damage.
TEST(QuickMessageList, EveryLineIsAnEntryKeptWholeAndOnlyDamageIsCut) {
    TestInstallation inst;
    const QByteArray longer(300, 'l'); // longer than the dialog's box takes, still a message
    inst.writeBytes("config\\QuickMsg.Dat", "One\r\n\r\n  spaced  \r\n" + longer + "\r\n" +
                                                QByteArray(1 << 20, 'x') + "\r\nlast\xa3");
    EXPECT_EQ(QuickMessageList::read(inst.appPath()),
              (QStringList{"One", "", "  spaced  ", QString(300, 'l'),
                           QString(QuickMessageList::MaxStoredLength, 'x'),
                           QString::fromLatin1("last\xA3")}));
    // Read and written back, every line of sane length comes out as it went in.
    inst.writeBytes("config\\QuickMsg.Dat",
                    "One\r\n\r\n  spaced  \r\n" + longer + "\r\n" + QByteArray(1024, 'y') + "\r\n");
    const QByteArray before = inst.bytes("config\\QuickMsg.Dat");
    ASSERT_TRUE(QuickMessageList::load(inst.appPath()).save(inst.appPath()));
    EXPECT_EQ(inst.bytes("config\\QuickMsg.Dat"), before);
    inst.remove("config\\QuickMsg.Dat");
    EXPECT_TRUE(QuickMessageList::read(inst.appPath()).isEmpty());
}

// Add trims blanks only and refuses empty texts and exact duplicates; a
// deletion is refused without a selection, else asked, No being the default.
TEST(QuickMessageList, AddTrimsAndRefusesDeleteAsks) {
    QuickMessageList list({"On my way."});
    EXPECT_EQ(boxLine(list.add("   ")), "Quorvel Warning||Enter a Quick message");
    EXPECT_EQ(boxLine(list.add("  On my way.  ")), "Quorvel Warning||Quick message already exists");
    EXPECT_EQ(boxLine(list.add(" on my way. ")), "");
    EXPECT_EQ(boxLine(list.add(" \tOn my way.\t ")), "");
    EXPECT_EQ(list.entries(), (QStringList{"On my way.", "on my way.", "\tOn my way.\t"}));
    for (int selected : {-1, 3})
        EXPECT_EQ(boxLine(list.deleteRefusal(selected)),
                  "Quorvel||Please select the Quick message to delete.");
    EXPECT_EQ(boxLine(list.deleteRefusal(2)), "");
    EXPECT_EQ(boxLine(QuickMessageList::deleteQuestion()),
              "Quorvel||Are you sure you want to delete this Quick message?|Yes/No*");
}
