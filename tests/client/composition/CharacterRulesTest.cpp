#include "client/composition/CharacterRules.h"

#include <QList>
#include <gtest/gtest.h>

using namespace CharacterRules;

TEST(CharacterRules, ExactlyTheTenCodesAreBarred) {
    QList<int> barred;
    for (int code = 0; code < 256; ++code)
        if (IsBarredKey(code))
            barred << code;
    EXPECT_EQ(barred, (QList<int>{13, 35, 91, 92, 93, 94, 123, 124, 125, 126}));
}

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
    for (const Case& c : cases)
        EXPECT_EQ(typed(QChar(c.c)), c.v) << int(c.c);
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
    }
}

TEST(CharacterRules, PastedTextLosesBarredCharactersAndNul) {
    const QString in = QString("a#b[c\\d]e^f{g|h}i~j") + QChar(0) + QString::fromLatin1("k\tl\xA3");
    const Pasted out = cleanPasted(in, LineBreaks::Keep);
    EXPECT_EQ(out.text, QString::fromLatin1("abcdefghijk\tl\xA3"));
    EXPECT_FALSE(out.refused);
}

TEST(CharacterRules, LineBreaksAreKeptOrBecomeOneSpaceEach) {
    EXPECT_EQ(cleanPasted("a\r\nb\nc\rd", LineBreaks::Space).text, "a b c d");
    EXPECT_EQ(cleanPasted("a\r\nb\nc\rd", LineBreaks::Keep).text, "a\r\nb\nc\rd");
    EXPECT_EQ(cleanPasted(QString("x") + QChar::ParagraphSeparator + "y", LineBreaks::Space).text,
              "x y");
    EXPECT_EQ(replaceLineBreaks("a\r\nb\nc"), "a  b c") << "a CR LF pair gives two spaces";
}

TEST(CharacterRules, RefusedCharactersAreReportedWhateverElseComesWithThem) {
    for (const QString& s :
         {QString("caf") + QChar(0x00E9), QString("hi ") + QChar(0xD83D) + QChar(0xDE00),
          QString(QChar(0x200F)) + "abc", QString(QChar(0xFFFD))}) {
        const Pasted out = cleanPasted(s + "#", LineBreaks::Keep);
        EXPECT_TRUE(out.refused) << s.toStdString();
    }
    EXPECT_FALSE(cleanPasted(QString(10000, 'x'), LineBreaks::Keep).refused);
}

TEST(CharacterRules, TrimmingTakesBlanksOnly) {
    struct Case {
        QString in, out;
    } cases[] = {
        {"  abc  ", "abc"},
        {"   ", ""},
        {"", ""},
        {"a  b", "a  b"},
        {" \tabc\t ", "\tabc\t"},
        {"\r\nx\n", "\r\nx\n"},
        {QString(QChar(0xA0)) + "x ", QString(QChar(0xA0)) + "x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(trimBlanks(c.in), c.out) << c.in.toStdString();
}
