#include "client/outbox/QueueModes.h"
#include "FakeSendBox.h"

#include <gtest/gtest.h>

namespace {

std::optional<Notice> told(const QString& text, Notice::Mark mark) {
    if (text.isEmpty())
        return std::nullopt;
    return Notice{text, Notice::kWarningTitle, mark};
}

} // namespace

TEST(QueueModes, ModesAreRefusedWhileTheOutboxHoldsEntries) {
    const QString off = "sendQueue- configure- poll+ ";
    struct Case {
        int option, outbox;
        bool modem;
        QString log, text;
    } cases[] = {
        {1, 1, true, "immediate " + off,
         "The Outbox is not empty. Messages cannot be Queued        "},
        {1, 0, true, "queue sendQueue+ configure+ poll- ",
         "All New Messages in the Outbox will be Queued        "},
        {1, 0, false, "queue sendQueue+ configure+ poll- ", ""},
        {2, 1, true, "queue focusQueue ", ""},
        {2, 0, false, "00:00 immediate " + off,
         "All New Messages in the Outbox will be Sent Immediately        "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.log.toStdString());
        FakeSendBox box;
        QueueModes modes(box);
        const auto notice = c.option == 1 ? modes.queueMessagesChosen(c.outbox, c.modem)
                                          : modes.sendImmediatelyChosen(c.outbox);
        EXPECT_EQ(box.log, c.log);
        EXPECT_EQ(notice, told(c.text, Notice::Mark::Warning));
    }
}

// Timer2: the blinking Send Queue reminder, and the poll kept alive for
// scheduled entries whatever the mode.
TEST(QueueModes, Timer2BlinksAndKeepsThePollAliveForScheduledEntries) {
    struct Case {
        int outbox, scheduled;
        bool modem, queue, poll, blink;
        int ticks;
        QString log;
    } cases[] = {
        {1, 0, true, true, true, true, 3, "BOLD '' BOLD "},
        {0, 0, true, true, true, false, 1, "configure+ poll- "},
        {0, 0, true, false, true, true, 1, "BOLD "},
        {0, 1, true, true, false, true, 1, "poll+ "},
        {0, 1, true, false, true, true, 1, ""},
        {0, 0, false, true, false, true, 1, "blink- plain configure+ poll- "},
        {1, 0, false, true, true, true, 1, "BOLD "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.log.toStdString());
        FakeSendBox box;
        box.queue = c.queue;
        box.poll = c.poll;
        box.blink = c.blink;
        QueueModes modes(box);
        for (int i = 0; i < c.ticks; ++i)
            modes.reminderTick(c.outbox, c.scheduled, c.modem);
        EXPECT_EQ(box.log, c.log);
    }
}

TEST(QueueModes, ScheduleRefusalsAndConfirmation) {
    const QString invalid = "Schedule time is not valid.";
    const QString modemOnly =
        "The scheduling facility is only available in Modem connection option";
    const QString notImmediate = "Message cannot be scheduled in Send Immediately mode.";
    const QString confirmed = "The scheduled message(s) will be sent at 09:05 on 5/1/2027.";
    const QDate today(2026, 12, 5), tomorrow(2026, 12, 6), later(2027, 1, 5);
    struct Case {
        bool modem, queue;
        QDate day;
        QTime time;
        bool builds;
        QString log, text;
    } cases[] = {
        {false, true, tomorrow, {17, 0}, true, "", modemOnly},
        {true, false, tomorrow, {17, 0}, true, "", notImmediate},
        {true, true, tomorrow, {0, 0}, true, "focusTime ", invalid},
        {true, true, today, {16, 20, 30}, true, "focusTime ", invalid}, // the seconds do not count
        {true, true, later, {9, 5}, false, "build ", ""},
        {true, true, later, {9, 5, 59}, true, "build 00:00 ", confirmed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        FakeSendBox box;
        box.queue = c.queue;
        box.day = c.day;
        box.at = c.time;
        const auto notice =
            QueueModes(box).scheduleClicked(c.modem, QDateTime(QDate(2026, 12, 5), QTime(16, 20)),
                                            [&] { return box.log += "build ", c.builds; });
        EXPECT_EQ(box.log, c.log);
        EXPECT_EQ(notice, told(c.text, c.text == confirmed ? Notice::Mark::Information
                                                           : Notice::Mark::None));
    }
}

// Send schedules instead when a time is set; the reminder follows a Send
// unless a modem sends at once.
TEST(QueueModes, SendSchedulesWhenATimeIsSetAndRemindsOfSendQueue) {
    EXPECT_FALSE(QueueModes::scheduleSet(QTime(0, 0, 30)));
    EXPECT_TRUE(QueueModes::scheduleSet(QTime(0, 1)) && QueueModes::scheduleSet(QTime(1, 0)));
    // A modem's Send with entries reminds unless it sends at once: OutboxPanelTest.
    EXPECT_FALSE(QueueModes::reminderDue(true, true, 0));
    EXPECT_TRUE(QueueModes::reminderDue(false, false, 0));
}
