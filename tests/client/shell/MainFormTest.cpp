#include "client/shell/ui/MainForm.h"
#include "client/outbox/ui/SendController.h"
#include "client/recipients/ui/RecipientsController.h"
#include "client/settings/ClientSettings.h"
#include "client/shell/ui/ClientStartup.h"
#include "common/IntervalTimer.h"
#include "common/Registry.h"
#include "support/FakeClock.h"
#include "support/MainFormFixture.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimeEdit>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

using MainFormTest = MainFormFixture;

} // namespace

TEST_F(MainFormTest, LoadFillsEveryListFromItsFile) {
    inst.writeBytes(
        "Config\\BudList.dat",
        "Jane Smith  +44123\r\nno plus sign\r\n\r\nBob  +33 612\r\n\x01\xff+\r\nAl  +4477");
    inst.writeBytes("Config\\SpeedNos.dat", "Zed  +441\r\nbad\r\nAnn  +442\r\n");
    inst.writeBytes("Groups\\Group.dat", " \r\nFriends\r\n");
    ASSERT_TRUE(form->load());

    EXPECT_EQ(items(c().List4), (QStringList{"Jane Smith  +44123", "Al  +4477"}));
    for (int i = 0; i < c().List4->count(); ++i)
        EXPECT_EQ(c().List4->item(i)->checkState(), Qt::Checked);
    ASSERT_EQ(c().Combo2->count(), 2);
    EXPECT_EQ(c().Combo3->count(), 2) << "group names are taken untested";
    EXPECT_EQ(c().Combo3->itemText(0), " ");
    EXPECT_EQ(c().Combo1->count(), 6);
    EXPECT_EQ(c().Combo1->currentIndex(), -1);
    EXPECT_EQ(c().Combo1->placeholderText(), "Quick Message");
    EXPECT_EQ(c().cmbCountryCode->count(), 229);
    EXPECT_EQ(c().cmbCountryCode->currentText(), "United Kingdom  +44");
    EXPECT_EQ(send().dtSchDate->date(), QDate(2026, 12, 5));
}

TEST_F(MainFormTest, LoadWritesStartFilesAndSetsTimers) {
    inst.writeBytes("StartNOM.cfg", "INUSE\r\n");
    ASSERT_TRUE(form->load());
    EXPECT_EQ(inst.bytes("StartNOM.cfg"), QByteArray("START\r\n"));
    EXPECT_EQ(inst.bytes("AppPath.cfg"), (inst.root() + "/\r\n").toUtf8());
    EXPECT_EQ(form->appPath(), inst.appPath());
    EXPECT_EQ(form->CurrentOperator, "CEL");
    EXPECT_TRUE(form->NOMAlive);
    EXPECT_EQ(form->MaxSmsLength, 160);
    EXPECT_EQ(form->Timer1->interval(), 10000);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer2->interval(), 1000);
    EXPECT_TRUE(form->Timer2->isActive());
    EXPECT_FALSE(send().dtSchDate->isEnabled()) << "no connection chosen yet";
}

TEST_F(MainFormTest, MissingAndGarbageFilesLeaveListsEmpty) {
    inst.remove("Config\\ISDCodes.dat");
    inst.remove("config\\QuickMsg.Dat");
    inst.writeBytes("Config\\BudList.dat", QByteArray(1 << 20, '\xff') + QByteArray("\0\0", 2));
    ASSERT_TRUE(form->load());
    EXPECT_EQ(c().List4->count(), 0);
    EXPECT_EQ(c().cmbCountryCode->count(), 0);
    EXPECT_EQ(c().cmbCountryCode->currentText(), "United Kingdom  +44");
    EXPECT_EQ(c().Combo1->count(), 0);
}

TEST_F(MainFormTest, ExitChosenInTheOptionsWindowStopsTheLoad) {
    form->showOptionsWindow = [] { return false; };
    EXPECT_FALSE(form->load());
    EXPECT_EQ(inst.bytes("StartNOM.cfg"), QByteArray("<missing>"));
}

TEST_F(MainFormTest, ExitAsksOnlyWithEntriesInTheOutbox) {
    ASSERT_TRUE(form->load());
    QSignalSpy closed(form.get(), &MainForm::closed);
    out().outbox->addItem("[1] 05/12/2026 16:20:00 +44123 hi");
    boxes.answerNext(MessageBox::Answer::No);
    form->Command3_Click();
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().text,
              "Messages are still being processed. Please confirm exiting application    ");
    EXPECT_EQ(boxes.last().title, "Quorvel Warning");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Question);
    EXPECT_EQ(boxes.last().buttons, MessageBox::Buttons::YesNo);
    EXPECT_EQ(boxes.last().defaultButton, MessageBox::Answer::No);
    EXPECT_EQ(closed.count(), 0);

    boxes.answerNext(MessageBox::Answer::Yes);
    form->Command3_Click();
    EXPECT_EQ(closed.count(), 1);

    out().outbox->clear();
    boxes.clear();
    form->Command3_Click();
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(MainFormTest, CloseBoxSavesWithoutAskingAndUncheckedEntriesComeBackChecked) {
    inst.writeBytes("Config\\BudList.dat", "Ann  +441\r\nBob  +442\r\n");
    inst.writeBytes("Config\\ScdMsgs.rcv", "[1] 6/12/2026 10:00:00 +441 a 6/12/2026 10:00:00\r\n");
    ASSERT_TRUE(form->load());
    ASSERT_EQ(boxes.shown().size(), 1) << "the saved scheduled entry is offered";
    ASSERT_EQ(out().schedulebox->count(), 1);
    boxes.clear();
    c().List4->item(0)->setCheckState(Qt::Unchecked);
    out().outbox->addItem("[2] 05/12/2026 16:20:00 +44123 still here");
    out().schedulebox->addItem("[3] 7/12/2026 9:05:00 +442 b 7/12/2026 9:05:00");
    out().schedulebox->addItem("[4] 7/12/2026 9:05:00 +442 c 7/12/2026 9:05:00");
    form->close();
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray("Ann  +441\r\nBob  +442\r\n"));
    EXPECT_EQ(inst.bytes("Config\\ScdMsgs.rcv"),
              QByteArray("[1] 6/12/2026 10:00:00 +441 a 6/12/2026 10:00:00\r\n"
                         "[3] 7/12/2026 9:05:00 +442 b 7/12/2026 9:05:00\r\n"
                         "[4] 7/12/2026 9:05:00 +442 c 7/12/2026 9:05:00\r\n"));

    ClientSettings again = ClientSettings::loadWithDefaults();
    MainForm next(again, inst.root(), inst.root());
    next.showOptionsWindow = [] { return true; };
    ASSERT_TRUE(next.load());
    ASSERT_EQ(next.controls().List4->count(), 2);
    EXPECT_EQ(next.controls().List4->item(0)->checkState(), Qt::Checked);
}

TEST_F(MainFormTest, ALineWithoutAPlusSignIsDroppedAtTheNextShutdown) {
    inst.writeBytes("Config\\BudList.dat", "Ann  +441\r\nBob 442\r\n");
    ASSERT_TRUE(form->load());
    form->close();
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray("Ann  +441\r\n"));
}

TEST_F(MainFormTest, ChosenColourPaintsThePanels) {
    form->showOptionsWindow = [this] {
        settings.BackColour = Colour{255, 153, 51}; // as the options window leaves it
        return true;
    };
    ASSERT_TRUE(form->load());
    for (QWidget* w : {static_cast<QWidget*>(c().Frame2), static_cast<QWidget*>(out().Frame10),
                       static_cast<QWidget*>(c().fraSMSMessage)})
        EXPECT_EQ(w->palette().color(QPalette::Window), QColor(255, 153, 51))
            << w->objectName().toStdString();
}

TEST_F(MainFormTest, EveryNamedControlExists) {
    for (const char* name : {"outbox",
                             "List4",
                             "txtMessage",
                             "txtSubject",
                             "Combo1",
                             "Combo2",
                             "Combo3",
                             "cmbCountryCode",
                             "Check2",
                             "Command2",
                             "Command3",
                             "cmdConfigure",
                             "dtSchDate",
                             "txttime",
                             "Text4",
                             "txtLenTotal",
                             "txtLenSignature",
                             "Text1",
                             "Text3",
                             "Picture1",
                             "Picture2",
                             "Picture3",
                             "Picture4",
                             "Picture5",
                             "Picture6",
                             "Picture7",
                             "Picture8",
                             "Picture9",
                             "Picture10",
                             "Picture12",
                             "Picture15",
                             "Picture16",
                             "Picture17",
                             "Picture18",
                             "Picture19",
                             "picQuickMsg",
                             "imgSchedule",
                             "imgScheduledMessageQ",
                             "picContact",
                             "picOutLook",
                             "Label2",
                             "Label3",
                             "Label4",
                             "Label5",
                             "Label7",
                             "lblSend",
                             "lblAddSingleContact",
                             "lblClear",
                             "lblAddFreqDialedNo",
                             "lblAddFreqDialedNos",
                             "lblAddGrpNos",
                             "Option1",
                             "Option2",
                             "optSelectAll",
                             "optUnselectAll",
                             "Frame2",
                             "Frame4",
                             "Frame6",
                             "Frame9",
                             "Frame10",
                             "fraSMSRemaining",
                             "lblRemaining",
                             "fraChrCnt",
                             "ListCellnet",
                             "schedulebox",
                             "Timer1",
                             "Timer2",
                             "mnuPopup"})
        EXPECT_NE(form->findChild<QObject*>(name), nullptr) << name;
    EXPECT_EQ(c().txtSubject->maxLength(), 100);
    EXPECT_EQ(c().picContact->toolTip(), "Quorvel contacts");
    EXPECT_FALSE(out().ListCellnet->isVisibleTo(form.get()));
}

TEST_F(MainFormTest, WithoutANotificationAreaMinimisingJustMinimises) {
    settings.StartInTray = true;
    ASSERT_TRUE(form->load());
    form->show();
    form->ShowInTray();
    EXPECT_TRUE(form->isVisible()) << "offscreen has no tray: the window must not vanish";
}

TEST_F(MainFormTest, ExitDuringALargeSendStopsItBeforeTheNextRecipientAndThePoll) {
    inst.writeBytes("Config\\MsgID.dat", "57\r\n");
    ASSERT_TRUE(form->load());
    c().List4->clear();
    for (int i = 0; i < 300; ++i)
        form->recipients().AddEntry(QString("N%1  +4477009%2").arg(i).arg(i, 5, 10, QChar('0')));
    c().txtMessage->setPlainText(QString(300, 'x'));
    boxes.clear(); // the editor's split warning
    QSignalSpy closed(form.get(), &MainForm::closed);
    int entriesAtExit = -1;
    clock.onWait([&](qint64) {
        if (entriesAtExit >= 0)
            return;
        entriesAtExit = out().outbox->count();
        boxes.answerNext(MessageBox::Answer::Yes);
        form->Command3->click();
    });
    send().Picture5->click();
    clock.onWait(nullptr);

    ASSERT_EQ(closed.count(), 1);
    ASSERT_GT(entriesAtExit, 0);
    ASSERT_LT(entriesAtExit, 900) << "Exit came in the middle of the send";
    EXPECT_EQ(out().outbox->count(), entriesAtExit);
    QByteArray inbox = "\r\n";
    for (const QString& e : items(out().outbox))
        inbox += e.toLatin1() + "\r\n";
    EXPECT_EQ(inst.bytes("NOM\\UK\\Cellnet\\Config\\Brindle.in"), inbox)
        << "nothing reached the inbox after Exit was confirmed";
    EXPECT_EQ(boxes.texts(), QStringList{"Messages are still being processed. Please confirm "
                                         "exiting application    "});
    EXPECT_FALSE(send().send().sending());
    form->Timer1->start();
    EXPECT_FALSE(form->Timer1->isActive() || form->Timer2->isActive())
        << "no poll may run after Exit";
}
