#include "BoxLines.h"
#include "client/recipients/FrequentNumbers.h"
#include "client/recipients/NumberListFile.h"
#include "client/recipients/NumberListRules.h"
#include "support/TestInstallation.h"

#include <gtest/gtest.h>

using Answer = MessageBox::Answer;

TEST(NumberListFile, LoadsWhatIsValidFromDamagedFilesAppendsOneLineAndSavesTheWholeList) {
    TestInstallation inst;
    struct Case {
        QByteArray bytes;
        QStringList entries;
    } cases[] = {
        {"Jane  +44123\r\nJo  0123\r\n\r\n   \r\nBob  +44 5\r\nAl  +4477",
         {"Jane  +44123", "Al  +4477"}},
        {"A  +1\nB  +2\rC  +3\r\n", {"A  +1", "B  +2", "C  +3"}},
        {QByteArray(1 << 20, 'n') + "  +44\r\nOk  +1\r\n", {"Ok  +1"}},
        {QByteArray("\x00\xff\x81+1\r\n", 6),
         {QString(QChar(0)) + QChar(0xFF) + QChar(0x81) + "+1"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        inst.writeBytes("Config\\BudList.dat", c.bytes);
        EXPECT_EQ(NumberListFile::load(inst.appPath()), c.entries)
            << c.bytes.left(30).toStdString();
    }
    inst.remove("Config\\BudList.dat");
    EXPECT_TRUE(NumberListFile::load(inst.appPath()).isEmpty());

    ASSERT_TRUE(NumberListFile::save(inst.appPath(), {"C  +3"}));
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray("C  +3\r\n"));
    ASSERT_TRUE(NumberListFile::save(inst.appPath(), {}));
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray(""));
}

TEST(NumberListRules, RemoveOneOrAllRefusesAnEmptyListAndAsksWithNoAsDefault) {
    ScriptedMessageBox boxes;
    // Count, highlighted row, answer, row removed; a current row without highlight is no choice.
    const std::tuple<int, int, Answer, std::optional<int>> removes[] = {
        {0, -1, Answer::Yes, std::nullopt},
        {3, 1, Answer::No, -1},
        {3, 1, Answer::Yes, 1},
        {3, -1, Answer::Yes, -1}};
    for (const auto& [count, highlighted, answer, row] : removes) {
        boxes.answerNext(answer);
        EXPECT_EQ(NumberListRules::RemoveCurrentEntry(count, highlighted), row) << count;
    }
    int cleared = 0;
    for (auto [count, answer] : {std::pair{0, Answer::Yes}, {2, Answer::No}, {2, Answer::Yes}}) {
        boxes.answerNext(answer);
        NumberListRules::ClearNumberList(count, [&] { ++cleared; });
    }
    EXPECT_EQ(cleared, 1);
    const QString one =
        "Quorvel||Are you sure you want to delete the selected Contact Number?|Yes/No*";
    const QString all =
        "Quorvel ||Are you sure you want to delete all the Contact Numbers?|Yes/No*";
    EXPECT_EQ(boxLines(boxes),
              (QStringList{kWarn + "Please select the Freq. Dialed Number to be Deleted        ",
                           one, one, one, "Quorvel|warn|Number List is empty     ", all, all,
                           "Quorvel|warn|Number List cleared     "}));
}

TEST(NumberListRules, EachDroppedLineButAGroupNodeIsAnEntry) {
    for (const char* nothing : {"node", "node\r\n", "node\nnode", ""})
        EXPECT_TRUE(NumberListRules::droppedEntries(nothing).isEmpty()) << nothing;
    EXPECT_EQ(NumberListRules::droppedEntries("A  +1\r\nnode\rB  +2\n\nnode x"),
              (QStringList{"A  +1", "B  +2", "node x"}));
}

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
    EXPECT_EQ(f.AddFrequentNumber("jo  +44123"), 1);
    EXPECT_EQ(f.add("Al  +1"), 0);
    EXPECT_EQ(f.add("Jo  +44124"), 3) << "same name, other number";
    EXPECT_EQ(f.add("Zoe  +44123"), 4) << "same number, other name";
    EXPECT_FALSE(f.DeleteFrequentNumber(-1));
    EXPECT_FALSE(f.DeleteFrequentNumber(5));
    EXPECT_TRUE(f.DeleteFrequentNumber(1));
    EXPECT_EQ(f.items(), (QStringList{"Al  +1", "jo  +44123", "Jo  +44124", "Zoe  +44123"}));
    for (const char* none : {"", "Please Select a Number"})
        EXPECT_FALSE(FrequentNumbers::TakeFrequentNumber(none));
    const QString del = kWarn + "Please select freq. dialed number to be deleted      ";
    const QString none = kWarn + "Please select a Number        ";
    EXPECT_EQ(boxLines(boxes), (QStringList{kWarn + "Name and Number already exists        ", del,
                                            del, none, none}));
}
