#include "client/outbox/ui/MessageListWindow.h"
#include "client/outbox/MessageLists.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct MessageListTest : ::testing::Test {
    void SetUp() override { inst.writeBytes("AppPath.cfg", (inst.appPath() + "\r\n").toUtf8()); }
    QByteArray lines(int n, int firstId = 1) {
        QByteArray b;
        for (int i = 0; i < n; ++i)
            b += "Accepted::[" + QByteArray::number(firstId + i) +
                 "] 05/12/2026 16:20:00 +441 m\r\n";
        return b;
    }
    TestInstallation inst;
    ScriptedMessageBox boxes;
};

} // namespace

TEST(MessageLists, ListedLinesSkipBlanksAndIdZero) {
    EXPECT_TRUE(MessageLists::isListed("[1] a +44 b"));
    EXPECT_TRUE(MessageLists::isListed("Accepted::[0] a")) << "the id test reads from character 2";
    EXPECT_FALSE(MessageLists::isListed("[0] 05/12/2026 +44 b"));
    EXPECT_FALSE(MessageLists::isListed("   "));
    EXPECT_FALSE(MessageLists::isListed(""));
    EXPECT_TRUE(MessageLists::isListed("[ 0] x"));
}

TEST_F(MessageListTest, AcceptedViewListsEveryLineWithItsCounter) {
    inst.writeBytes("Config\\AccpMsgs.dat", lines(1200) + "\r\n   \r\n[0] skipped +44 x\r\n");
    MessageListWindow w(MessageLists::kAcceptedCaption, MessageLists::kAcceptedFile, nullptr, {});
    // A timer due at once must fire while the list is still loading.
    int seenWhileLoading = -1;
    QTimer::singleShot(0, &w, [&] { seenWhileLoading = w.List1->count(); });
    w.activate();
    EXPECT_TRUE(w.loaded());
    EXPECT_EQ(w.List1->count(), 1200);
    EXPECT_EQ(w.Label2->text(), "1200");
    EXPECT_GE(seenWhileLoading, 0);
    EXPECT_LT(seenWhileLoading, 1200) << "window events ran during the load";
    EXPECT_TRUE(w.cmdClearAll->isHidden());
}

TEST_F(MessageListTest, ClearEmptiesTheShownFileAndClearAllTheThreeFiles) {
    inst.writeBytes("NOM\\UK\\Cellnet\\Config\\Brindle.rcv", lines(2, 10));
    inst.writeBytes("Config\\AccpMsgs.dat", lines(3));
    inst.writeBytes("Config\\ScdMsgs.rcv", lines(2));
    MessageListWindow accepted(MessageLists::kAcceptedCaption, MessageLists::kAcceptedFile, nullptr,
                               {});
    accepted.activate();
    EXPECT_EQ(accepted.Label2->text(), "3");
    accepted.Command3->click();
    EXPECT_EQ(accepted.List1->count(), 0);
    EXPECT_EQ(accepted.Label2->text(), "0") << "the counter follows the list";
    EXPECT_EQ(inst.bytes("Config\\AccpMsgs.dat"), QByteArray());
    EXPECT_EQ(inst.bytes("Config\\ScdMsgs.rcv"), lines(2));
    inst.remove("Config\\AccpMsgs.dat");
    accepted.activate();
    EXPECT_EQ(accepted.List1->count(), 0) << "a missing file shows an empty list";

    inst.writeBytes("Config\\AccpMsgs.dat", lines(3));
    QListWidget schedulebox;
    schedulebox.addItem("[20] 7/12/2026 9:05:00 +442 b 7/12/2026 9:05:00");
    MessageListWindow w(MessageLists::kFailedCaption, MessageLists::kFailedFile, &schedulebox, {});
    w.activate();
    EXPECT_EQ(w.List1->count(), 2);
    EXPECT_FALSE(w.cmdClearAll->isHidden());
    w.cmdClearAll->click();
    EXPECT_EQ(w.List1->count(), 0);
    EXPECT_EQ(w.Label2->text(), "0");
    for (const char* f :
         {"NOM\\UK\\Cellnet\\Config\\Brindle.rcv", "Config\\AccpMsgs.dat", "Config\\ScdMsgs.rcv"})
        EXPECT_EQ(inst.bytes(f), QByteArray()) << f;
    EXPECT_EQ(schedulebox.count(), 1) << "scheduled entries in memory stay";
}

TEST_F(MessageListTest, DeletingAScheduledEntryAsksAndRemovesTheChosenOneFromBothLists) {
    QListWidget schedulebox;
    for (int i = 1; i <= 5; ++i)
        schedulebox.addItem(QString("[%1] 7/12/2026 9:05:00 +442 m%1 7/12/2026 9:05:00").arg(i));
    MessageListWindow w(MessageLists::kScheduledCaption, MessageLists::kScheduledTag, &schedulebox,
                        {});
    w.activate();
    ASSERT_EQ(w.List1->count(), 5);
    EXPECT_EQ(w.Label2->text(), "5") << "the scheduled view counts its entries too";
    EXPECT_TRUE(w.Command3->isHidden());

    boxes.answerNext(MessageBox::Answer::No);
    w.List1_Click(2);
    EXPECT_EQ(schedulebox.count(), 5);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().text, "Do you want to delete this message ?");
    EXPECT_TRUE(boxes.lastIs("Quorvel warning", MessageBox::Icon::Critical));
    EXPECT_EQ(boxes.last().defaultButton, MessageBox::Answer::No);

    delete schedulebox.takeItem(0); // the first one fell due while the view was open
    boxes.answerNext(MessageBox::Answer::Yes);
    w.List1_Click(2);
    QStringList left;
    for (int i = 0; i < schedulebox.count(); ++i)
        left << schedulebox.item(i)->text().left(3);
    EXPECT_EQ(left, (QStringList{"[2]", "[4]", "[5]"}));
    EXPECT_EQ(w.List1->count(), 4);
    EXPECT_EQ(w.Label2->text(), "4");
    EXPECT_TRUE(w.List1->item(2)->text().startsWith("[4]"));
}
