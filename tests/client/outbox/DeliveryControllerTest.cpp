#include "client/outbox/ui/DeliveryController.h"
#include "client/outbox/ui/MessageListWindow.h"
#include "client/settings/ClientSettings.h"
#include "client/shell/ui/MainForm.h"
#include "common/IntervalTimer.h"
#include "common/Registry.h"
#include "support/FakeClock.h"
#include "support/MainFormFixture.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

struct DeliveryWindowTest : MainFormFixture {
    void load(int connectionType = 0) {
        Registry::CreateRegistryKey(Registry::kSettingsKey);
        Registry::writeSetting("MODEM_CONN", QString::number(connectionType));
        settings = ClientSettings::loadWithDefaults();
        form = std::make_unique<MainForm>(settings, inst.root(), inst.root());
        form->showOptionsWindow = [] { return true; };
        ASSERT_TRUE(form->load());
        boxes.clear();
    }
    DeliveryController& d() { return form->delivery(); }
};

const QString kEntry = "[1] 05/12/2026 16:20:00 +441 one";

} // namespace

TEST_F(DeliveryWindowTest, ModemLayoutPollsEverySecond) {
    load(0);
    EXPECT_EQ(c().Timer1->interval(), 1000);
    EXPECT_TRUE(c().dtSchDate->isEnabled());
    EXPECT_FALSE(c().Option2->isHidden());
    EXPECT_TRUE(c().fraSMSRemaining->isHidden());
}

TEST_F(DeliveryWindowTest, InternetLayoutNeverRunsThePoll) {
    load(1);
    EXPECT_EQ(c().Timer1->interval(), 0);
    c().schedulebox->addItem("[5] 5/12/2026 16:19:00 +441 a 5/12/2026 16:19:00");
    d().Timer2_Timer();
    EXPECT_FALSE(c().Timer1->isActive()) << "interval 0 means not running";
    EXPECT_TRUE(c().Option2->isHidden());
    EXPECT_FALSE(c().fraSMSRemaining->isHidden());
    EXPECT_TRUE(c().imgSchedule->isHidden());
}

TEST_F(DeliveryWindowTest, QueueMessagesIsRefusedWhileTheOutboxHoldsEntries) {
    load(0);
    c().Option2->setChecked(true);
    c().outbox->addItem(kEntry);
    d().Option1_Click();
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().text, "The Outbox is not empty. Messages cannot be Queued        ");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Warning);
    EXPECT_TRUE(c().Option2->isChecked());
    EXPECT_FALSE(c().Command2->isEnabled());
    EXPECT_TRUE(c().Timer1->isActive());

    c().outbox->clear();
    d().Option1_Click();
    EXPECT_EQ(boxes.last().text, "All New Messages in the Outbox will be Queued        ");
    EXPECT_TRUE(c().Option1->isChecked());
    EXPECT_TRUE(c().Command2->isEnabled());
    EXPECT_FALSE(c().Timer1->isActive());
}

TEST_F(DeliveryWindowTest, SendImmediatelyIsRefusedSilentlyWhileTheOutboxHoldsEntries) {
    load(0);
    c().outbox->addItem(kEntry);
    c().Option2->setChecked(true); // as the click would
    d().Option2_Click();
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_TRUE(c().Option1->isChecked());

    c().outbox->clear();
    c().txttime->setTime(QTime(9, 30));
    d().Option2_Click();
    EXPECT_EQ(boxes.last().text, "All New Messages in the Outbox will be Sent Immediately        ");
    EXPECT_EQ(c().txttime->time(), QTime(0, 0));
    EXPECT_FALSE(c().Command2->isEnabled());
    EXPECT_FALSE(c().cmdConfigure->isEnabled());
    EXPECT_TRUE(c().Timer1->isActive());
}

TEST_F(DeliveryWindowTest, SendQueueBlinksUntilPressed) {
    load(0);
    c().outbox->addItem(kEntry);
    d().setBlinking(true);
    d().Timer2_Timer();
    EXPECT_EQ(c().Command2->text(), "Send Queue");
    EXPECT_TRUE(c().Command2->font().bold());
    d().Timer2_Timer();
    EXPECT_EQ(c().Command2->text(), "");
    c().Command2->click();
    EXPECT_FALSE(d().blinking());
    EXPECT_EQ(c().Command2->text(), "Send Queue");
    EXPECT_FALSE(c().Command2->font().bold());
    EXPECT_TRUE(c().Timer1->isActive());
}

TEST_F(DeliveryWindowTest, ScheduledEntriesKeepThePollAlive) {
    load(0);
    c().schedulebox->addItem("[5] 5/12/2026 17:00:00 +441 a 5/12/2026 17:00:00");
    EXPECT_FALSE(c().Timer1->isActive());
    d().Timer2_Timer();
    EXPECT_TRUE(c().Timer1->isActive());
}

TEST_F(DeliveryWindowTest, ScheduleRefusals) {
    load(1);
    d().imgSchedule_Click();
    EXPECT_EQ(boxes.last().text,
              "The scheduling facility is only available in Modem connection option");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::None);

    load(0);
    c().Option2->setChecked(true);
    c().txttime->setTime(QTime(17, 0));
    d().imgSchedule_Click();
    EXPECT_EQ(boxes.last().text, "Message cannot be scheduled in Send Immediately mode.");

    c().Option1->setChecked(true);
    for (QTime t : {QTime(0, 0), QTime(16, 20), QTime(9, 0)}) {
        boxes.clear();
        c().txttime->setTime(t);
        d().imgSchedule_Click();
        ASSERT_EQ(boxes.shown().size(), 1) << t.toString().toStdString();
        EXPECT_EQ(boxes.last().text, "Schedule time is not valid.");
    }
}

TEST_F(DeliveryWindowTest, ASuccessfulScheduleConfirmsTheMoment) {
    load(0);
    c().dtSchDate->setDate(QDate(2026, 12, 7));
    c().txttime->setTime(QTime(9, 5));
    bool built = false;
    d().buildScheduledEntries = [&] {
        built = true;
        return true;
    };
    d().imgSchedule_Click();
    EXPECT_TRUE(built);
    EXPECT_EQ(boxes.last().text, "The scheduled message(s) will be sent at 09:05 on 7/12/2026.");
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Information);
    EXPECT_EQ(c().txttime->time(), QTime(0, 0));
}

TEST_F(DeliveryWindowTest, SavedEntriesAreOfferedAtStart) {
    inst.writeBytes("Config\\ScdMsgs.rcv",
                    "[5] 5/12/2026 16:00:00 +441 a 5/12/2026 16:00:00\r\n  \r\n"
                    "[6] 8/12/2026 10:00:00 +441 b 8/12/2026 10:00:00\r\n");
    boxes.answerNext(MessageBox::Answer::Yes);
    Registry::CreateRegistryKey(Registry::kSettingsKey);
    Registry::writeSetting("MODEM_CONN", "0");
    settings = ClientSettings::loadWithDefaults();
    form = std::make_unique<MainForm>(settings, inst.root(), inst.root());
    form->showOptionsWindow = [] { return true; };
    ASSERT_TRUE(form->load());
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().text, "There are some Pending Queued messages. Do you want to send or "
                                 "delete it?\r\n Choose Yes to send, No to delete.");
    EXPECT_EQ(boxes.last().buttons, MessageBox::Buttons::YesNo);
    EXPECT_EQ(c().schedulebox->count(), 2);
    QCoreApplication::processEvents(); // the save follows the change at once
    // The file always holds the scheduled list, so a crash loses nothing.
    EXPECT_EQ(inst.bytes("Config\\ScdMsgs.rcv"),
              QByteArray("[5] 5/12/2026 16:00:00 +441 a 5/12/2026 16:00:00\r\n"
                         "[6] 8/12/2026 10:00:00 +441 b 8/12/2026 10:00:00\r\n"));
    // The past one goes out at the first poll.
    c().Timer1->setInterval(1000);
    form->delivery().supervisor().Timer1_Timer();
    EXPECT_EQ(c().outbox->count(), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(inst.bytes("Config\\ScdMsgs.rcv"),
              QByteArray("[6] 8/12/2026 10:00:00 +441 b 8/12/2026 10:00:00\r\n"));
}

TEST_F(DeliveryWindowTest, AnsweringNoEmptiesTheSavedFile) {
    inst.writeBytes("Config\\ScdMsgs.rcv", "[5] 5/12/2026 16:00:00 +441 a 5/12/2026 16:00:00\r\n");
    boxes.answerNext(MessageBox::Answer::No);
    load(0);
    EXPECT_EQ(c().schedulebox->count(), 0);
    EXPECT_EQ(inst.bytes("Config\\ScdMsgs.rcv"), QByteArray());
    form->close();
    EXPECT_EQ(inst.bytes("Config\\ScdMsgs.rcv"), QByteArray());
}

TEST_F(DeliveryWindowTest, TheListButtonsOpenTheirViews) {
    load(0);
    QStringList titles;
    d().showList = [&](MessageListWindow& w) { titles << w.windowTitle(); };
    c().Picture9->click();
    c().Picture15->click();
    c().imgScheduledMessageQ->click();
    EXPECT_EQ(titles,
              (QStringList{"Accepted Messages", "Failed Messages", "Scheduled Message Queue"}));
}
