#include "nom/TapText.h"
#include "BrindleSimTest.h"
#include "nom/AliveCounter.h"
#include "nom/QueueEntry.h"

using namespace TapText;

TEST(TapText, BlockAndChecksum) {
    EXPECT_EQ(MakeTAPString("447700900123", "Hi"), QByteArray("\x02"
                                                              "447700900123\rHi\r\x03"
                                                              "335\r"));
    // The text goes out in the file code page.
    EXPECT_EQ(MakeTAPString("44", QString::fromUtf8("\u00a35")).mid(4, 2), "\xa3"
                                                                           "5");
    const std::pair<int, QByteArray> sums[] = {{821, "335"},       {4096, "000"}, {4095, "???"},
                                               {0, "000"},         {255, "0??"},  {256, "100"},
                                               {4096 + 821, "335"}};
    for (const auto& [sum, expected] : sums) {
        // Bytes adding up to the sum: as many 0xFF as fit, then the rest.
        QByteArray bytes(sum / 255, char(0xFF));
        if (sum % 255)
            bytes += char(sum % 255);
        EXPECT_EQ(checksum(bytes), expected) << sum;
    }
}

TEST(TapText, NumberAndTailCleanUp) {
    const QPair<QString, QString> numbers[] = {
        {"+44 7700 900123", "447700900123"}, {" + 44 1", "441"}, {"++44", "+44"}, {"", ""}};
    for (auto [in, out] : numbers) {
        IntFormatNumber(in);
        EXPECT_EQ(in, out);
    }
    const QPair<QString, QString> tails[] = {
        {"211 \x06\r", "211"}, {"ok\r\n \t", "ok"}, {" \r", ""}, {"", ""}, {" a b ", " a b"}};
    for (auto [in, out] : tails) {
        StripTail(in);
        EXPECT_EQ(in, out);
    }
}

// Lines without a number, or without a blank after it, are in the intake table.
TEST(QueueEntryParse, OnlyTheFirstPlusAndTheBlankAfterItMatter) {
    for (const auto& [line, parsed] :
         {std::pair{"[1] d +44 a+b  c ", "+44|a+b  c "}, {"+44 ", "+44|"}}) {
        const auto e = QueueEntry::parse(line);
        EXPECT_EQ(e ? e->number + '|' + e->text : QString("none"), parsed);
    }
}

TEST(AliveCounter, WithBaseSevenNeverWritesSevenThousand) {
    AliveCounter c(7);
    EXPECT_EQ(c.next(), 8);
    for (int i = 9; i < 7000; ++i)
        ASSERT_EQ(c.next(), i);
    EXPECT_EQ(c.next(), 7);
    EXPECT_EQ(c.next(), 8);
}
