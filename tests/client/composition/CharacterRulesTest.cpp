#include "client/composition/CharacterRules.h"
#include "client/composition/PastedLineBreaks.h"

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

TEST(PastedLineBreaks, EachBreakKeepsTheCharactersItCameWith) {
    const QString pasted = "a\r\nb\nc\rd\r\r\n";
    const QChar p = QChar::ParagraphSeparator;
    EXPECT_EQ(PastedLineBreaks::asParagraphs(pasted), QString("a%1b%1c%1d%1%1").arg(p));
    EXPECT_EQ(PastedLineBreaks::lengthsIn(pasted), (QList<int>{2, 1, 1, 1, 2}));

    PastedLineBreaks breaks;
    breaks.replace(0, 0, PastedLineBreaks::lengthsIn(pasted));
    EXPECT_EQ(breaks.extra(), 2);
    EXPECT_EQ(breaks.extraBefore(1), 1);
    EXPECT_EQ(breaks.spaced(PastedLineBreaks::asParagraphs(pasted)), "a  b c d   ")
        << "each CR and each LF one blank";
    // The second and third give way to one CR LF.
    breaks.replace(1, 2, {2});
    EXPECT_EQ(breaks.count(), 4);
    EXPECT_EQ(breaks.extra(), 3);
    EXPECT_EQ(breaks.spaced(QString("x%1y%1%1%1").arg(p)), "x  y     ");
    breaks.replace(0, 99, {});
    EXPECT_EQ(breaks.count(), 0);
    EXPECT_EQ(breaks.extra(), 0);
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
