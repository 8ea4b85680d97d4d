#include "client/recipients/FrequentNumbers.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <gtest/gtest.h>

TEST(FrequentNumbers, LoadKeepsValidLinesRepeatsIncludedSortedAndSavesInThatOrder) {
    TestInstallation inst;
    inst.writeBytes("Config\\SpeedNos.dat",
                    "zed  +441\r\nbad line\r\nAnn  +442\r\n\r\nann  +443\r\n" +
                        QByteArray(1 << 20, 'x') +
                        "+1\r\nBob  +44 5\r\n"
                        "Ann  +442\r\nmid  +9");
    FrequentNumbers f = FrequentNumbers::load(inst.appPath());
    EXPECT_EQ(f.items(),
              (QStringList{"Ann  +442", "Ann  +442", "ann  +443", "mid  +9", "zed  +441"}));
    EXPECT_EQ(f.add("Ann  +442"), -1) << "an add still refuses a listed line";
    f.removeAt(1);
    f.add("a  +1");
    ASSERT_TRUE(f.save(inst.appPath()));
    EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"),
              QByteArray("a  +1\r\nAnn  +442\r\nann  +443\r\nmid  +9\r\nzed  +441\r\n"));
}

TEST(FrequentNumbers, WholeLinesAreUniqueLetterCaseCountsAndTheButtonsSayWhatTheyRefuse) {
    ScriptedMessageBox boxes;
    FrequentNumbers f(QStringList{"Jo  +44123"});
    EXPECT_EQ(f.AddFrequentNumber("Jo  +44123"), -1);
    EXPECT_TRUE(f.contains("Jo  +44123"));
    EXPECT_FALSE(f.contains("jo  +44123"));
    EXPECT_EQ(f.AddFrequentNumber("jo  +44123"), 1);
    EXPECT_EQ(f.add("Al  +1"), 0);
    EXPECT_EQ(f.add("Jo  +44124"), 3) << "same name, other number";
    EXPECT_EQ(f.add("Zoe  +44123"), 4) << "same number, other name";
    EXPECT_EQ(f.items(),
              (QStringList{"Al  +1", "Jo  +44123", "jo  +44123", "Jo  +44124", "Zoe  +44123"}));
    EXPECT_FALSE(f.DeleteFrequentNumber(-1));
    EXPECT_FALSE(f.DeleteFrequentNumber(5));
    EXPECT_TRUE(f.DeleteFrequentNumber(1));
    EXPECT_EQ(f.size(), 4);
    for (const char* none : {"", "Please Select a Number"})
        EXPECT_FALSE(FrequentNumbers::TakeFrequentNumber(none));
    EXPECT_EQ(FrequentNumbers::TakeFrequentNumber("Al  +1"), "Al  +1");
    EXPECT_EQ(boxes.texts(),
              (QStringList{"Name and Number already exists        ",
                           "Please select freq. dialed number to be deleted      ",
                           "Please select freq. dialed number to be deleted      ",
                           "Please select a Number        ", "Please select a Number        "}));
    for (const MessageBox::Request& r : boxes.shown()) {
        EXPECT_EQ(r.title, "Quorvel Warning");
        EXPECT_EQ(r.icon, MessageBox::Icon::Warning);
    }
}
