#include "nom/TapText.h"
#include "nom/AliveCounter.h"
#include "nom/QueueEntry.h"

#include <gtest/gtest.h>

using namespace TapText;

TEST(TapText, BlockForHiCarriesChecksum335) {
    const QByteArray block = MakeTAPString("447700900123", "Hi");
    EXPECT_EQ(block, QByteArray("\x02"
                                "447700900123\rHi\r\x03"
                                "335\r"));
}

TEST(TapText, ChecksumCharactersRunFromZeroToQuestionMark) {
    struct Case {
        int sum;
        QByteArray expected;
    };
    const Case cases[] = {{821, "335"},        {4096, "000"}, {4095, "???"}, {0, "000"},
                          {4096 + 821, "335"}, {255, "0??"},  {256, "100"}};
    for (const Case& c : cases) {
        // Bytes adding up to the sum: as many 0xFF as fit, then the rest.
        QByteArray bytes(c.sum / 255, char(0xFF));
        if (c.sum % 255)
            bytes += char(c.sum % 255);
        EXPECT_EQ(checksum(bytes), c.expected) << c.sum;
    }
}

TEST(TapText, TextGoesOutInTheFileCodePage) {
    const QByteArray block = MakeTAPString("44", QString::fromUtf8("\u00a35"));
    EXPECT_EQ(block.mid(4, 2), QByteArray("\xa3"
                                          "5"));
}

TEST(TapText, IntFormatNumberDropsBlanksAndOnePlus) {
    const QPair<QString, QString> cases[] = {{"+44 7700 900123", "447700900123"},
                                             {"447700900123", "447700900123"},
                                             {" + 44 1", "441"},
                                             {"++44", "+44"},
                                             {"", ""}};
    for (const auto& [in, out] : cases) {
        QString n = in;
        IntFormatNumber(n);
        EXPECT_EQ(n, out) << in.toStdString();
    }
}

TEST(TapText, StripTailRemovesControlCharactersAndBlanks) {
    const QPair<QString, QString> cases[] = {
        {"211 \x06\r", "211"}, {"ok\r\n \t", "ok"}, {" \r", ""}, {"", ""}, {" a b ", " a b"}};
    for (const auto& [in, out] : cases) {
        QString t = in;
        StripTail(t);
        EXPECT_EQ(t, out);
    }
}

TEST(QueueEntryParse, OnlyTheFirstPlusAndTheBlankAfterItMatter) {
    struct Case {
        QString line;
        bool ok;
        QString number, text;
    };
    const Case cases[] = {
        {"[12] 05/12/2026 16:20 +447700900123 Hi there", true, "+447700900123", "Hi there"},
        {"[1] d +44 a+b  c ", true, "+44", "a+b  c "},
        {"+44 ", true, "+44", ""},
        {"[1] no number here", false, {}, {}},
        {"[1] d +447700900123", false, {}, {}},
    };
    for (const Case& c : cases) {
        const auto e = QueueEntry::parse(c.line);
        ASSERT_EQ(e.has_value(), c.ok) << c.line.toStdString();
        if (e) {
            EXPECT_EQ(e->number, c.number);
            EXPECT_EQ(e->text, c.text);
        }
    }
}

TEST(AliveCounter, WithBaseOneRunsToNineHundredNinetyNineThenOne) {
    AliveCounter c(1);
    EXPECT_EQ(c.next(), 2);
    for (int i = 3; i <= 999; ++i)
        ASSERT_EQ(c.next(), i);
    EXPECT_EQ(c.next(), 1);
    EXPECT_EQ(c.next(), 2);
}

TEST(AliveCounter, NeverWritesBaseTimesThousand) {
    AliveCounter c(7);
    for (int i = 0; i < 20000; ++i)
        ASSERT_NE(c.next(), 7000);
}
