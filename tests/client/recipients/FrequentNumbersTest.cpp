#include "client/recipients/FrequentNumbers.h"
#include "support/TestInstallation.h"

#include <gtest/gtest.h>

TEST(FrequentNumbers, LoadKeepsValidLinesRepeatsIncludedInAlphabeticalOrder) {
    TestInstallation inst;
    inst.writeBytes("Config\\SpeedNos.dat",
                    "zed  +441\r\nbad line\r\nAnn  +442\r\n\r\nann  +443\r\n" +
                        QByteArray(1 << 20, 'x') +
                        "+1\r\nBob  +44 5\r\n"
                        "Ann  +442\r\nmid  +9");
    const FrequentNumbers f = FrequentNumbers::load(inst.appPath());
    EXPECT_EQ(f.items(),
              (QStringList{"Ann  +442", "Ann  +442", "ann  +443", "mid  +9", "zed  +441"}));
    FrequentNumbers copy = f;
    EXPECT_EQ(copy.add("Ann  +442"), -1) << "an add still refuses a listed line";
}

TEST(FrequentNumbers, WholeLinesAreUniqueButLetterCaseCounts) {
    FrequentNumbers f(QStringList{"Jo  +44123"});
    EXPECT_EQ(f.add("Jo  +44123"), -1);
    EXPECT_TRUE(f.contains("Jo  +44123"));
    EXPECT_FALSE(f.contains("jo  +44123"));
    EXPECT_EQ(f.add("jo  +44123"), 1);
    EXPECT_EQ(f.add("Al  +1"), 0);
    EXPECT_EQ(f.add("Jo  +44124"), 3) << "same name, other number";
    EXPECT_EQ(f.add("Zoe  +44123"), 4) << "same number, other name";
    EXPECT_EQ(f.items(),
              (QStringList{"Al  +1", "Jo  +44123", "jo  +44123", "Jo  +44124", "Zoe  +44123"}));
    f.removeAt(1);
    f.removeAt(99);
    EXPECT_EQ(f.size(), 4);
}

TEST(FrequentNumbers, SavedWholeInTheBoxOrder) {
    TestInstallation inst;
    inst.writeBytes("Config\\SpeedNos.dat", "garbage\r\nb  +2\r\n");
    FrequentNumbers f = FrequentNumbers::load(inst.appPath());
    f.add("a  +1");
    ASSERT_TRUE(f.save(inst.appPath()));
    EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"), QByteArray("a  +1\r\nb  +2\r\n"));
}
