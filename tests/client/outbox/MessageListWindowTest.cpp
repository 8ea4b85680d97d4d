// The accepted, failed and scheduled views the outbox opens.
#include "OutboxPanelFixture.h"

TEST_F(OutboxPanelTest, TheFileViewsListTheirFilesAndClearThem) {
    // Blank lines and id 0 are left out; the id is read from the second character on.
    inst.writeBytes(MessageLists::kAcceptedFile, accepted(1200) + "\r\n   \r\n[0] skipped +44 x\r\n"
                                                                  "Accepted::[0] a\r\n[ 0] x\r\n");
    inst.writeBytes(ExchangeFiles::kCarryOver, accepted(2, 10));
    // A mobile network's reports: the last for an id stands; a torn line counts for nothing.
    inst.writeBytes(ExchangeFiles::kDeliveryReports,
                    "[1] failed 07/12/2026 18:50:00\r\n[1] delivered 07/12/2026 18:55:01\r\n"
                    "[2] failed 07/12/2026 18:56:00\r\n[3] delivered 07/12/2026 18:5");
    list("schedulebox")->addItem("[20] 7/12/2026 9:05:00 +442 b 7/12/2026 9:05:00");
    QCoreApplication::processEvents(); // saved to its file
    int seenWhileLoading = -1;
    delivery().showList = [&](MessageListWindow& w) {
        QTimer::singleShot(0, &w, [&] { seenWhileLoading = listed(w)->count(); });
        w.activate();
        EXPECT_TRUE(w.loaded() && child<QPushButton>(w, "cmdClearAll")->isHidden());
        EXPECT_EQ(w.windowTitle() + ' ' + counter(w), "Accepted Messages 1202");
        EXPECT_EQ(items(listed(w)).mid(0, 3),
                  (QStringList{"Accepted::[1] " + kStamp + " +441 m (delivered 07/12/2026 18:55)",
                               "Accepted::[2] " + kStamp + " +441 m (not delivered)",
                               "Accepted::[3] " + kStamp + " +441 m"}));
        child<QPushButton>(w, "Command3")->click();
        EXPECT_EQ(listed(w)->count(), 0);
        EXPECT_EQ(counter(w), "0") << "the counter follows the list";
    };
    child<QToolButton>(*out, "Picture9")->click();
    EXPECT_GE(seenWhileLoading, 0);
    EXPECT_LT(seenWhileLoading, 1200) << "window events ran during the load";
    EXPECT_EQ(inst.bytes(MessageLists::kAcceptedFile), QByteArray());
    EXPECT_EQ(inst.bytes(ExchangeFiles::kCarryOver), accepted(2, 10));
    inst.remove(MessageLists::kAcceptedFile);
    delivery().showList = [&](MessageListWindow& w) {
        w.activate();
        EXPECT_EQ(listed(w)->count(), 0) << "a missing file shows an empty list";
    };
    child<QToolButton>(*out, "Picture9")->click();

    inst.writeBytes(MessageLists::kAcceptedFile, accepted(3));
    delivery().showList = [&](MessageListWindow& w) {
        w.activate();
        EXPECT_EQ(w.windowTitle() + ' ' + counter(w), "Failed Messages 2");
        EXPECT_FALSE(child<QPushButton>(w, "cmdClearAll")->isHidden());
        child<QPushButton>(w, "cmdClearAll")->click();
        EXPECT_EQ(listed(w)->count(), 0);
        EXPECT_EQ(counter(w), "0");
    };
    child<QToolButton>(*out, "Picture15")->click();
    for (const QString& f :
         {ExchangeFiles::kCarryOver, MessageLists::kAcceptedFile, MessageLists::kScheduledFile})
        EXPECT_EQ(inst.bytes(f), QByteArray()) << f.toStdString();
    EXPECT_EQ(list("schedulebox")->count(), 1) << "scheduled entries in memory stay";
}

TEST_F(OutboxPanelTest, DeletingAScheduledEntryAsksAndRemovesTheChosenOneFromBothLists) {
    const auto entry = [](int i) {
        return QString("[%1] 7/12/2026 9:05:00 +442 m%1 7/12/2026 9:05:00").arg(i);
    };
    for (int i = 1; i <= 5; ++i)
        list("schedulebox")->addItem(entry(i));
    delivery().showList = [&](MessageListWindow& w) {
        w.activate();
        EXPECT_EQ(w.windowTitle() + ' ' + counter(w), "Scheduled Message Queue 5");
        EXPECT_TRUE(child<QPushButton>(w, "Command3")->isHidden());
        boxes.answerNext(MessageBox::Answer::No);
        w.offerToDeleteEntry(2);
        EXPECT_EQ(list("schedulebox")->count(), 5);
        ASSERT_EQ(boxes.texts(), QStringList{"Do you want to delete this message ?"});
        EXPECT_TRUE(boxes.lastIs("Quorvel warning", MessageBox::Icon::Critical));
        EXPECT_EQ(boxes.last().defaultButton, MessageBox::Answer::No);
        delete list("schedulebox")->takeItem(0); // the first one fell due while the view was open
        boxes.answerNext(MessageBox::Answer::Yes);
        w.offerToDeleteEntry(2);
        EXPECT_EQ(counter(w), "4");
        EXPECT_EQ(listed(w)->item(2)->text(), entry(4));
    };
    child<QToolButton>(*send, "imgScheduledMessageQ")->click();
    EXPECT_EQ(items(list("schedulebox")), (QStringList{entry(2), entry(4), entry(5)}));
}
