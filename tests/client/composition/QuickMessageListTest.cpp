#include "client/composition/QuickMessageList.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <gtest/gtest.h>

TEST(QuickMessageList, EveryLineIsAnEntryKeptWholeAndOnlyDamageIsCut) {
    TestInstallation inst;
    const QByteArray longer(300, 'l'); // longer than the dialog's box takes, still a message
    inst.writeBytes("config\\QuickMsg.Dat", "One\r\n\r\n  spaced  \r\n" + longer + "\r\n" +
                                                QByteArray(1 << 20, 'x') + "\r\nlast\xa3");
    const QStringList e = QuickMessageList::read(inst.appPath());
    ASSERT_EQ(e.size(), 6);
    EXPECT_EQ(e[0], "One");
    EXPECT_EQ(e[1], "") << "an empty line is an entry too";
    EXPECT_EQ(e[2], "  spaced  ");
    EXPECT_EQ(e[3], QString(300, 'l'));
    EXPECT_EQ(e[4], QString(QuickMessageList::MaxStoredLength, 'x')) << "a 1 MB line is damage";
    EXPECT_EQ(e[5], QString::fromLatin1("last\xA3"));

    // Read and written back, every line of sane length comes out as it went in.
    inst.writeBytes("config\\QuickMsg.Dat",
                    "One\r\n\r\n  spaced  \r\n" + longer + "\r\n" + QByteArray(1024, 'y') + "\r\n");
    const QByteArray before = inst.bytes("config\\QuickMsg.Dat");
    ASSERT_TRUE(QuickMessageList::load(inst.appPath()).save(inst.appPath()));
    EXPECT_EQ(inst.bytes("config\\QuickMsg.Dat"), before);

    inst.remove("config\\QuickMsg.Dat");
    EXPECT_TRUE(QuickMessageList::read(inst.appPath()).isEmpty());
}

TEST(QuickMessageList, AddTrimsAndRefusesEmptyAndExactDuplicates) {
    ScriptedMessageBox boxes;
    QuickMessageList list({"On my way."});
    EXPECT_FALSE(list.Add("   "));
    EXPECT_FALSE(list.Add("  On my way.  "));
    EXPECT_TRUE(list.Add(" on my way. "));
    // Only blanks are trimmed: with a tab it is another text.
    EXPECT_TRUE(list.Add(" \tOn my way.\t "));
    EXPECT_EQ(list.entries(), (QStringList{"On my way.", "on my way.", "\tOn my way.\t"}));
    ASSERT_EQ(boxes.shown().size(), 2);
    EXPECT_EQ(boxes.shown()[0].text, "Enter a Quick message");
    EXPECT_EQ(boxes.shown()[1].text, "Quick message already exists");
    for (const auto& b : boxes.shown()) {
        EXPECT_EQ(b.title, "Quorvel Warning");
        EXPECT_EQ(b.icon, MessageBox::Icon::None);
        EXPECT_EQ(b.buttons, MessageBox::Buttons::Ok);
    }
}

TEST(QuickMessageList, DeleteAsksWithNoAsDefault) {
    ScriptedMessageBox boxes;
    QuickMessageList list({"a", "b", "c"});
    EXPECT_FALSE(list.Delete(-1));
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().text, "Please select the Quick message to delete.");
    EXPECT_EQ(boxes.last().title, "Quorvel");

    boxes.answerNext(MessageBox::Answer::No);
    EXPECT_FALSE(list.Delete(1));
    EXPECT_EQ(list.entries().size(), 3);
    EXPECT_EQ(boxes.last().text, "Are you sure you want to delete this Quick message?");
    EXPECT_EQ(boxes.last().buttons, MessageBox::Buttons::YesNo);
    EXPECT_EQ(boxes.last().defaultButton, MessageBox::Answer::No);
    EXPECT_EQ(boxes.last().title, "Quorvel");

    boxes.answerNext(MessageBox::Answer::Yes);
    EXPECT_TRUE(list.Delete(1));
    EXPECT_EQ(list.entries(), (QStringList{"a", "c"}));
}
