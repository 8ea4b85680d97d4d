#include "client/outbox/ui/OutboxController.h"
#include "client/outbox/ui/SendController.h"
#include "client/outbox/ui/frmDisplaySelMsgDetls.h"
#include "client/shell/ClientSettings.h"
#include "client/shell/ui/MainForm.h"
#include "common/ExchangeFiles.h"
#include "common/IntervalTimer.h"
#include "support/FakeClock.h"
#include "support/MainFormFixture.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

const QString kSig = "- Quorvel 3.0."; // 14 characters
const QString kStamp = "05/12/2026 16:20:00";

class OutboxWindowTest : public MainFormFixture {
protected:
    void SetUp() override {
        inst.writeBytes("Config\\Sign.cfg", ("PAGEIN" + kSig + "\r\n").toLatin1());
        inst.writeBytes("Config\\MsgID.dat", "57\r\n");
        inst.writeBytes("Config\\BudList.dat", "Jane Smith  +447700900123\r\nBob  +33612\r\n");
        MainFormFixture::SetUp();
        ASSERT_TRUE(form->load());
        settings.ConnectionType = 0;
    }
    OutboxController& outbox() { return form->outboxController(); }
    SendController& send() { return outbox().send(); }
    void checkedRecipients(int count) {
        c().List4->clear();
        for (int i = 0; i < count; ++i) {
            auto* item = new QListWidgetItem(
                QString("N%1  +4477009%2").arg(i).arg(i, 5, 10, QChar('0')), c().List4);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
        }
    }
    static QByteArray lines(const QStringList& entries) {
        QByteArray out;
        for (const QString& e : entries)
            out += e.toLatin1() + "\r\n";
        return out;
    }
};

} // namespace

TEST_F(OutboxWindowTest, SendMakesExactEntriesInTheOutboxTheQueueAndTheInbox) {
    c().List4->item(1)->setCheckState(Qt::Unchecked);
    c().List4->addItem("Ann  +44 7700 900 999");
    c().List4->item(2)->setFlags(c().List4->item(2)->flags() | Qt::ItemIsUserCheckable);
    c().List4->item(2)->setCheckState(Qt::Checked);
    QTest::keyClicks(c().txtSubject, "Hi");
    const QString message = QString(200, 'm');
    c().txtMessage->setPlainText(message);
    c().Combo1->setCurrentIndex(1);
    c().Text4->setText("42");

    boxes.clear(); // the editor's split warning for the long message
    c().Picture5->click();

    // (Hi) + 200 characters = 204: parts of 119 and 85, each labelled of 2.
    const QString body = "(Hi)" + message;
    const QString suffix1 = " P1/2 " + kSig + ' ' + kStamp;
    const QString suffix2 = "  P2/2 " + kSig + ' ' + kStamp;
    const QStringList expected{
        "[57] " + kStamp + " +447700900123 " + body.left(119) + suffix1,
        "[58] " + kStamp + " +447700900123 " + body.mid(119) + suffix2,
        "[59] " + kStamp + " +447700900999 " + body.left(119) + suffix1,
        "[60] " + kStamp + " +447700900999 " + body.mid(119) + suffix2,
    };
    EXPECT_EQ(items(c().outbox), expected);
    EXPECT_EQ(items(c().ListCellnet), expected);
    EXPECT_EQ(inst.bytes(ExchangeFiles::kInbox), "\r\n" + lines(expected));
    EXPECT_EQ(inst.bytes("Config\\MsgID.dat"), QByteArray("61\r\n"));
    EXPECT_EQ(form->CurrentOperator, "CEL");

    // The editor is ready for the next message.
    EXPECT_EQ(c().txtSubject->text(), "");
    EXPECT_EQ(c().txtMessage->toPlainText(), "");
    EXPECT_EQ(c().Combo1->currentIndex(), -1);
    EXPECT_EQ(c().Text4->text(), "0");
    EXPECT_EQ(base(c().List4), QColor(255, 255, 255));
    EXPECT_EQ(base(c().txtMessage), QColor(255, 255, 255));

    // Modem, Queue Messages: the reminder.
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().text, "Select SEND QUEUE button to send queued messages.");
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Information);
    EXPECT_EQ(send().blinkMarker(), "blink");
    EXPECT_TRUE(c().Picture5->isEnabled());
}

TEST_F(OutboxWindowTest, DeliveryPromptAndInboxDependOnTheRoute) {
    struct Case {
        int connectionType;
        bool immediate;
        bool prompt;
        bool inbox;
    } cases[] = {
        {0, false, true, true},  {0, true, false, true}, {1, false, true, false},
        {-1, true, true, false}, {2, false, true, true},
    };
    for (const Case& cs : cases) {
        SCOPED_TRACE(cs.connectionType);
        c().outbox->clear();
        c().Picture5->setProperty(SendController::kBlinkProperty, QString());
        inst.writeBytes(ExchangeFiles::kInbox, "\r\n");
        boxes.clear();
        settings.ConnectionType = cs.connectionType;
        (cs.immediate ? c().Option2 : c().Option1)->setChecked(true);
        c().txtMessage->setPlainText("hello");
        c().Picture5->click();
        EXPECT_EQ(c().outbox->count(), 2);
        EXPECT_EQ(boxes.texts(),
                  cs.prompt ? QStringList{"Select SEND QUEUE button to send queued messages."}
                            : QStringList{});
        EXPECT_EQ(send().blinkMarker(), cs.prompt ? "blink" : "");
        EXPECT_EQ(inst.bytes(ExchangeFiles::kInbox),
                  cs.inbox ? "\r\n" + lines(items(c().outbox)) : QByteArray("\r\n"));
    }
}

TEST_F(OutboxWindowTest, RefusalsLeaveTheTextAndColourTheControlAtFault) {
    c().txtSubject->setText("   ");
    c().txtMessage->setPlainText("  ");
    c().Picture5->click();
    EXPECT_EQ(boxes.texts(), QStringList{"Please enter Subject or Message."});
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Information);
    EXPECT_EQ(c().txtMessage->toPlainText(), "  ");

    // The empty-text check of the assembly itself (reached from the schedule route).
    c().txtSubject->clear();
    c().txtMessage->clear();
    boxes.clear();
    send().BuildOutboxEntries();
    EXPECT_EQ(boxes.texts(), QStringList{"No Text Selected to be Sent        "});
    EXPECT_EQ(base(c().txtMessage), QColor(255, 128, 0));

    c().txtMessage->setPlainText("hi");
    c().List4->clear();
    boxes.clear();
    c().Picture5->click();
    EXPECT_EQ(boxes.texts(), QStringList{"Please fill SMS Number List         "});
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);
    EXPECT_EQ(base(c().List4), QColor(255, 128, 0));
    EXPECT_EQ(c().txtMessage->toPlainText(), "hi");
    EXPECT_EQ(c().outbox->count(), 0);
    EXPECT_EQ(inst.bytes("Config\\MsgID.dat"), QByteArray("57\r\n"));

    c().List4->addItem("Jane  +44123");
    c().List4->item(0)->setFlags(c().List4->item(0)->flags() | Qt::ItemIsUserCheckable);
    c().List4->item(0)->setCheckState(Qt::Unchecked);
    boxes.clear();
    c().Picture5->click();
    EXPECT_EQ(boxes.texts(), QStringList{"Select Mobile Number"});

    c().List4->item(0)->setCheckState(Qt::Checked);
    boxes.clear();
    c().Picture5->click();
    EXPECT_EQ(c().outbox->count(), 1);
    EXPECT_EQ(base(c().List4), QColor(255, 255, 255));
    EXPECT_EQ(base(c().txtMessage), QColor(255, 255, 255));
}

TEST_F(OutboxWindowTest, AChosenTimeHandsOverToTheScheduleAction) {
    int scheduled = 0;
    send().scheduleAction = [&] { ++scheduled; };
    c().txtMessage->setPlainText("later");
    c().txttime->setTime(QTime(0, 5));
    c().Picture5->click();
    EXPECT_EQ(scheduled, 1);
    EXPECT_EQ(c().outbox->count(), 0);
    EXPECT_EQ(c().txtMessage->toPlainText(), "later");
}

TEST_F(OutboxWindowTest, LineBreaksGoOutAsBlanks) {
    c().List4->item(1)->setCheckState(Qt::Unchecked);
    inst.writeBytes("Config\\Sign.cfg", "NOPAGE\r\n");
    c().txtMessage->setPlainText("one\ntwo\r\nthree");
    c().Picture5->click();
    ASSERT_EQ(c().outbox->count(), 1);
    EXPECT_EQ(c().outbox->item(0)->text(), "[57] " + kStamp + " +447700900123 one two three ");

    // Once connected, the editor's own replacement runs before anything is read.
    send().replaceLineBreaks = [this] { c().txtMessage->setPlainText("replaced"); };
    c().txtMessage->setPlainText("a\nb");
    c().Picture5->click();
    EXPECT_EQ(c().outbox->item(1)->text(), "[58] " + kStamp + " +447700900123 replaced ");
}

TEST_F(OutboxWindowTest, ALostCounterContinuesAfterTheIdsInTheWindow) {
    inst.remove("Config\\MsgID.dat");
    c().outbox->addItem("Processing::[77] " + kStamp + " +44123 old");
    c().schedulebox->addItem("[79] 6/12/2026 10:00:00 +44123 later P1/1 6/12/2026 10:00:00");
    c().txtMessage->setPlainText("new");
    c().Picture5->click();
    ASSERT_EQ(c().outbox->count(), 3);
    EXPECT_TRUE(c().outbox->item(1)->text().startsWith("[80] "));
    EXPECT_TRUE(c().outbox->item(2)->text().startsWith("[81] "));
    EXPECT_EQ(inst.bytes("Config\\MsgID.dat"), QByteArray("82\r\n"));
}

TEST_F(OutboxWindowTest, FilesThatCannotBeWrittenAreReported) {
    // Without a stored counter nothing may go out: ids would be used twice.
    inst.remove("Config\\MsgID.dat");
    QDir().mkpath(inst.file("Config\\MsgID.dat"));
    c().txtMessage->setPlainText("x");
    c().Picture5->click();
    EXPECT_EQ(boxes.texts(), QStringList{"The message number file Config\\MsgID.dat cannot be "
                                         "written. Nothing has been sent."});
    EXPECT_EQ(c().outbox->count(), 0);
    EXPECT_EQ(c().txtMessage->toPlainText(), "x");

    // An inbox that cannot take the entries: they stay visible, and the user is told.
    QDir(inst.file("Config\\MsgID.dat")).removeRecursively();
    inst.remove(ExchangeFiles::kInbox);
    QDir().mkpath(inst.file(ExchangeFiles::kInbox));
    boxes.clear();
    c().Picture5->click();
    EXPECT_EQ(c().outbox->count(), 2);
    EXPECT_EQ(boxes.texts(), (QStringList{"Some messages could not be written to the operator "
                                          "module's inbox and will not be sent by modem.",
                                          "Select SEND QUEUE button to send queued messages."}));
}

TEST_F(OutboxWindowTest, ALargeSendLetsEventsRunWithoutRunningTwice) {
    checkedRecipients(300);
    c().txtMessage->setPlainText(QString(300, 'x'));
    int pumps = 0;
    clock.onWait([&](qint64) {
        ++pumps;
        EXPECT_TRUE(send().sending());
        EXPECT_FALSE(c().Picture5->isEnabled());
        c().Picture5->click();   // disabled: no second send
        send().Picture5_Click(); // and the handler itself refuses to re-enter
        // Typing goes on meanwhile and is kept.
        c().txtMessage->setPlainText("next message");
    });
    c().Picture5->click();
    clock.onWait(nullptr);

    EXPECT_GT(pumps, 2);
    ASSERT_EQ(c().outbox->count(), 900);
    for (int i = 0; i < 900; ++i)
        ASSERT_TRUE(c().outbox->item(i)->text().startsWith(QString("[%1] ").arg(57 + i))) << i;
    EXPECT_EQ(inst.bytes("Config\\MsgID.dat"), QByteArray("957\r\n"));
    EXPECT_EQ(c().txtMessage->toPlainText(), "next message");
    EXPECT_FALSE(send().sending());
    EXPECT_TRUE(c().Picture5->isEnabled());
    EXPECT_EQ(inst.bytes(ExchangeFiles::kInbox).count("\r\n"), 901);
}

TEST_F(OutboxWindowTest, ExitDuringALargeSendStopsItBeforeTheNextRecipient) {
    checkedRecipients(300);
    c().txtMessage->setPlainText(QString(300, 'x'));
    boxes.clear(); // the editor's split warning
    QSignalSpy closed(form.get(), &MainForm::closed);
    int entriesAtExit = -1;
    clock.onWait([&](qint64) {
        if (entriesAtExit >= 0)
            return;
        entriesAtExit = c().outbox->count();
        boxes.answerNext(MessageBox::Answer::Yes);
        c().Command3->click();
    });
    c().Picture5->click();
    clock.onWait(nullptr);

    ASSERT_EQ(closed.count(), 1);
    ASSERT_GT(entriesAtExit, 0);
    ASSERT_LT(entriesAtExit, 900) << "Exit came in the middle of the send";
    EXPECT_EQ(c().outbox->count(), entriesAtExit);
    EXPECT_EQ(inst.bytes(ExchangeFiles::kInbox), "\r\n" + lines(items(c().outbox)))
        << "nothing reached the inbox after Exit was confirmed";
    EXPECT_EQ(boxes.texts(), QStringList{"Messages are still being processed. Please confirm "
                                         "exiting application    "});
    EXPECT_FALSE(send().sending());
    c().Timer1->start();
    EXPECT_FALSE(c().Timer1->isActive() || c().Timer2->isActive()) << "no poll may run after Exit";
}

TEST_F(OutboxWindowTest, ScheduledEntriesGoToTheScheduledListOnly) {
    c().txtMessage->setPlainText(QString(150, 's'));
    c().dtSchDate->setDate(QDate(2027, 1, 5));
    c().txttime->setTime(QTime(9, 5));
    boxes.clear(); // the editor's split warning for the long message
    ASSERT_TRUE(send().BuildScheduledEntries());
    const QString stamp = "5/1/2027 09:05:00";
    const QString a = QString(100, 's'), b = QString(50, 's');
    EXPECT_EQ(items(c().schedulebox),
              (QStringList{"[57] " + stamp + " +447700900123 " + a + " P1/2" + kSig + ' ' + stamp,
                           "[58] " + stamp + " +447700900123 " + b + " P2/2" + kSig + ' ' + stamp,
                           "[59] " + stamp + " +4433612 " + a + " P1/2" + kSig + ' ' + stamp,
                           "[60] " + stamp + " +4433612 " + b + " P2/2" + kSig + ' ' + stamp}));
    EXPECT_EQ(c().outbox->count(), 0);
    EXPECT_EQ(c().ListCellnet->count(), 0);
    EXPECT_EQ(inst.bytes(ExchangeFiles::kInbox), QByteArray("\r\n"));
    EXPECT_EQ(inst.bytes("Config\\MsgID.dat"), QByteArray("61\r\n"));
    EXPECT_EQ(c().txtMessage->toPlainText(), "");
    EXPECT_TRUE(boxes.shown().isEmpty());

    c().List4->clear();
    c().txtMessage->setPlainText("x");
    EXPECT_FALSE(send().BuildScheduledEntries());
    EXPECT_EQ(boxes.texts(), QStringList{"Please fill SMS Number List         "});
}

TEST_F(OutboxWindowTest, DeleteAndRemoveAllThroughTheButtons) {
    c().outbox->addItems({"[1] " + kStamp + " +44123 a", "Processing::[2] " + kStamp + " +44123 b",
                          "[3] " + kStamp + " +44123 c"});
    c().outbox->setCurrentRow(1);
    c().Picture12->click();
    EXPECT_EQ(boxes.texts(), QStringList{"Message is being processed. Cannot be deleted        "});
    EXPECT_EQ(c().outbox->count(), 3);

    boxes.clear();
    c().outbox->setCurrentRow(0);
    boxes.answerNext(MessageBox::Answer::Yes);
    c().Picture12->click();
    EXPECT_EQ(items(c().outbox), (QStringList{"Processing::[2] " + kStamp + " +44123 b",
                                              "[3] " + kStamp + " +44123 c"}));
    EXPECT_EQ(c().outbox->currentRow(), 1) << "the last entry is highlighted";
    EXPECT_TRUE(c().outbox->currentItem()->isSelected());

    boxes.clear();
    c().outbox->clearSelection();
    c().Picture12->click();
    EXPECT_EQ(boxes.texts(), QStringList{"No message selected in outbox."});

    boxes.answerNext(MessageBox::Answer::Yes);
    c().Picture1->click();
    EXPECT_EQ(c().outbox->count(), 0);

    // The only entry deleted: nothing left to highlight.
    c().outbox->addItem("[4] " + kStamp + " +44123 d");
    c().outbox->setCurrentRow(0);
    boxes.answerNext(MessageBox::Answer::Yes);
    c().Picture12->click();
    EXPECT_EQ(c().outbox->count(), 0);
    EXPECT_EQ(c().outbox->currentRow(), -1);
}

TEST_F(OutboxWindowTest, DoubleClickShowsTheDetailsOfTheEntry) {
    c().outbox->addItems({"[1] " + kStamp + " +44123 a",
                          "Processing::[ 57 ] " + kStamp + " +33612345678 Hi ] + there  "});
    QStringList shown;
    outbox().showDetails = [&](frmDisplaySelMsgDetls& w) {
        shown << w.windowTitle() << w.txtMessageId->text() << w.txtMessageDt->text()
              << w.txtMessage->toPlainText() << w.txtMsgLen->text();
    };
    c().outbox->show();
    const QRect rect = c().outbox->visualItemRect(c().outbox->item(1));
    QTest::mouseClick(c().outbox->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(c().outbox->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(shown, (QStringList{"Selected Message Details", "57", kStamp, "Hi ] + there", "12"}));
}

TEST_F(OutboxWindowTest, TheDetailsWindowClosesWithItsButton) {
    c().outbox->addItem("[9] " + kStamp + " +44123 a");
    c().outbox->setCurrentRow(0);
    bool closedByButton = false;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<frmDisplaySelMsgDetls*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->txtMessageId->text(), "9");
        w->Command1->click();
        closedByButton = true;
    });
    outbox().outbox_DblClick();
    EXPECT_TRUE(closedByButton);
}

TEST_F(OutboxWindowTest, ADeleteFindsItsEntryAgainAfterTheQuestion) {
    const QString a = "[1] " + kStamp + " +44123 a", b = "[2] " + kStamp + " +44123 b",
                  d = "[3] " + kStamp + " +44123 d";
    c().outbox->addItems({a, b, d});
    c().outbox->setCurrentRow(1);
    {
        // The first entry is moved out while the user answers.
        PeekingMessageBox peek([&](const MessageBox::Request&) { delete c().outbox->takeItem(0); });
        boxes.answerNext(MessageBox::Answer::Yes);
        c().Picture12->click();
    }
    EXPECT_EQ(items(c().outbox), QStringList{d});

    c().outbox->clear();
    c().outbox->addItems({a, b});
    c().outbox->setCurrentRow(1);
    {
        // The chosen entry is handed to the operator module meanwhile: it stays.
        PeekingMessageBox peek(
            [&](const MessageBox::Request&) { c().outbox->item(1)->setText("Processing::" + b); });
        boxes.answerNext(MessageBox::Answer::Yes);
        c().Picture12->click();
    }
    EXPECT_EQ(items(c().outbox), (QStringList{a, "Processing::" + b}));
}
