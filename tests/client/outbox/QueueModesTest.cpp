#include "client/outbox/QueueModes.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <gtest/gtest.h>
#include <ostream>

// Rows name only what differs from a fresh Send box.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

// What the Send box shows.
struct Box {
    bool queue = true, sendQueue = true, configure = true, poll = false, blink = false;
    QString caption = "Send Queue";
    bool bold = false;
    QTime time{0, 0};
    QString focus;
    bool operator==(const Box&) const = default;
};
void PrintTo(const Box& b, std::ostream* os) {
    *os << b.queue << b.sendQueue << b.configure << b.poll << b.blink << " '"
        << b.caption.toStdString() << "' " << b.bold << ' ' << b.time.toString().toStdString()
        << ' ' << b.focus.toStdString();
}

struct FakeBox : QueueControls {
    void setConfigureEnabled(bool e) override { b.configure = e; }
    void startPoll() override { b.poll = true; }
    void stopPoll() override { b.poll = false; }
    bool pollRunning() const override { return b.poll; }
    bool queueMode() const override { return b.queue; }
    void stopBlinking() override {}
    void setQueueMode(bool q) override { b.queue = q; }
    void setSendQueueEnabled(bool e) override { b.sendQueue = e; }
    void focusQueueMode() override { b.focus = "Queue Messages"; }
    bool blinking() const override { return b.blink; }
    void setBlinking(bool on) override { b.blink = on; }
    void showSendQueue(bool caption, bool bold) override {
        b.caption = caption ? "Send Queue" : "";
        b.bold = bold;
    }
    QDate date() const override { return day; }
    QTime time() const override { return b.time; }
    void setTime(const QTime& t) override { b.time = t; }
    void focusTime() override { b.focus = "time"; }
    Box b;
    QDate day{2026, 12, 5};
};

const QDateTime kNow(QDate(2026, 12, 5), QTime(16, 20));
const Box kImmediate{.queue = false, .sendQueue = false, .configure = false, .poll = true};

} // namespace

TEST(QueueModes, ModesAreRefusedWhileTheOutboxHoldsEntries) {
    const QTime t(9, 30);
    struct Case {
        const char* what;
        int option, outbox;
        bool modem;
        Box before, after;
        QString text;
    } cases[] = {
        // clang-format off
        {"queue refused", 1, 1, true, {}, kImmediate,
         "The Outbox is not empty. Messages cannot be Queued        "},
        {"queue, modem", 1, 0, true, kImmediate, {},
         "All New Messages in the Outbox will be Queued        "},
        {"queue, Internet: silent", 1, 0, false, kImmediate, {}, ""},
        {"immediate refused silently", 2, 1, true, {.queue = false, .time = t},
         {.time = t, .focus = "Queue Messages"}, ""},
        {"immediate resets the time", 2, 0, false, {.time = t}, kImmediate,
         "All New Messages in the Outbox will be Sent Immediately        "},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedMessageBox boxes;
        FakeBox box;
        box.b = c.before;
        QueueModes modes(box);
        c.option == 1 ? modes.Option1_Click(c.outbox, c.modem) : modes.Option2_Click(c.outbox);
        EXPECT_EQ(box.b, c.after);
        EXPECT_EQ(boxes.texts(), c.text.isEmpty() ? QStringList{} : QStringList{c.text});
        for (const MessageBox::Request& r : boxes.shown())
            EXPECT_TRUE(r.title == "Quorvel Warning" && r.icon == MessageBox::Icon::Warning);
    }
}

TEST(QueueModes, Timer2BlinksSendQueueAndKeepsThePollAliveForScheduledEntries) {
    const Box queueing{.configure = false, .poll = true, .blink = true};
    Box bold = queueing, empty = queueing;
    bold.bold = true;
    empty.caption = "";
    struct Case {
        const char* what;
        int outbox, scheduled;
        bool modem;
        Box before;
        int ticks;
        Box after;
    } cases[] = {
        // clang-format off
        {"blink: bold",       1, 0, true, queueing, 1, bold},
        {"blink: empty",      1, 0, true, queueing, 2, empty},
        {"blink: bold again", 1, 0, true, queueing, 3, bold},
        {"empty queue: configure, no poll", 0, 0, true, {.configure = false, .poll = true}, 1, {}},
        {"Send Immediately polls on",       0, 0, true, kImmediate, 1, kImmediate},
        {"scheduled entries: poll, nothing else", 0, 1, true, {.configure = false, .blink = true},
         1, {.configure = false, .poll = true, .blink = true}},
        {"Internet, empty outbox: no reminder", 0, 0, false, {.blink = true, .caption = ""}, 1, {}},
        {"Internet with entries blinks", 1, 0, false, {.blink = true}, 1,
         {.blink = true, .bold = true}},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeBox box;
        box.b = c.before;
        QueueModes modes(box);
        for (int i = 0; i < c.ticks; ++i)
            modes.Timer2_Timer(c.outbox, c.scheduled, c.modem);
        EXPECT_EQ(box.b, c.after);
    }
    // Send Queue stops the reminder; the next one starts bold again.
    FakeBox box;
    QueueModes modes(box);
    box.b.blink = true;
    modes.Timer2_Timer(1, 0, true);
    modes.stopBlinking();
    EXPECT_EQ(box.b, Box{});
    box.b.blink = true;
    modes.Timer2_Timer(1, 0, true);
    EXPECT_TRUE(box.b.bold);
}

TEST(QueueModes, ScheduleRefusalsAndConfirmation) {
    const QString invalid = "Schedule time is not valid.";
    const QDate today(2026, 12, 5), tomorrow(2026, 12, 6), later(2027, 1, 5);
    struct Case {
        const char* what;
        bool modem, queue;
        QDate day;
        QTime time;
        bool builds;
        QString text, focus;
        QTime after;
    } cases[] = {
        // clang-format off
        {"Internet", false, true, tomorrow, {17, 0}, true,
         "The scheduling facility is only available in Modem connection option", "", {17, 0}},
        {"Send Immediately", true, false, tomorrow, {17, 0}, true,
         "Message cannot be scheduled in Send Immediately mode.", "", {17, 0}},
        {"00:00", true, true, tomorrow, {0, 0}, true, invalid, "time", {0, 0}},
        {"now (seconds)", true, true, today, {16, 20, 30}, true, invalid, "time", {16, 20, 30}},
        {"past", true, true, today, {9, 0}, true, invalid, "time", {9, 0}},
        {"entries refused", true, true, later, {9, 5}, false, "", "", {9, 5}},
        {"later", true, true, later, {9, 5, 59}, true,
         "The scheduled message(s) will be sent at 09:05 on 5/1/2027.", "", {0, 0}},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedMessageBox boxes;
        FakeBox box;
        box.b = {.queue = c.queue, .time = c.time};
        box.day = c.day;
        int built = 0;
        QueueModes(box).imgSchedule_Click(c.modem, kNow, [&] { return ++built, c.builds; });
        const bool confirmed = c.after != c.time;
        EXPECT_EQ(boxes.texts(), c.text.isEmpty() ? QStringList{} : QStringList{c.text});
        EXPECT_EQ(built, c.text.isEmpty() || confirmed ? 1 : 0);
        EXPECT_EQ(box.b, (Box{.queue = c.queue, .time = c.after, .focus = c.focus}));
        for (const MessageBox::Request& r : boxes.shown())
            EXPECT_TRUE(r.title == "Quorvel Warning" &&
                        r.icon ==
                            (confirmed ? MessageBox::Icon::Information : MessageBox::Icon::None));
    }
}

// Send schedules instead when a time is set; the reminder follows a Send
// unless a modem sends at once.
TEST(QueueModes, SendSchedulesWhenATimeIsSetAndRemindsOfSendQueue) {
    EXPECT_FALSE(QueueModes::scheduleSet(QTime(0, 0, 30)));
    EXPECT_TRUE(QueueModes::scheduleSet(QTime(0, 1)) && QueueModes::scheduleSet(QTime(1, 0)));
    EXPECT_TRUE(QueueModes::reminderDue(true, true, 1));
    EXPECT_FALSE(QueueModes::reminderDue(true, true, 0));
    EXPECT_FALSE(QueueModes::reminderDue(true, false, 1));
    EXPECT_TRUE(QueueModes::reminderDue(false, false, 0));
}

TEST(QueueModes, SavedEntriesAreOfferedAndNoEmptiesTheFile) {
    const QString past = "[5] 5/12/2026 16:00:00 +441 a 5/12/2026 16:00:00";
    const QString later = " [6] 8/12/2026 10:00:00 +441 b 8/12/2026 10:00:00";
    const QByteArray both = (past + "\r\n  \r\n" + later + "\r\n").toLatin1();
    struct Case {
        QByteArray file;
        MessageBox::Answer answer;
        QStringList offered;
        QByteArray after;
    } cases[] = {
        {both, MessageBox::Answer::Yes, {past, later}, both},
        {both, MessageBox::Answer::No, {}, ""},
        {" \r\n\r\n", MessageBox::Answer::No, {}, " \r\n\r\n"},
        {"<missing>", MessageBox::Answer::No, {}, "<missing>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.constData());
        TestInstallation inst;
        ScriptedMessageBox boxes;
        if (c.file != "<missing>")
            inst.writeBytes("Config\\ScdMsgs.rcv", c.file);
        boxes.answerNext(c.answer);
        EXPECT_EQ(QueueModes::offerSavedEntries(inst.appPath()), c.offered);
        EXPECT_EQ(inst.bytes("Config\\ScdMsgs.rcv"), c.after);
        ASSERT_EQ(boxes.shown().size(), c.file == both ? 1 : 0);
        if (c.file == both) {
            EXPECT_EQ(boxes.last().text,
                      "There are some Pending Queued messages. Do you want to "
                      "send or delete it?\r\n Choose Yes to send, No to delete.");
            EXPECT_EQ(boxes.last().title, "Quorvel Warning");
            EXPECT_EQ(boxes.last().icon, MessageBox::Icon::None);
            EXPECT_EQ(boxes.last().buttons, MessageBox::Buttons::YesNo);
        }
    }
}
