#include "client/outbox/DeliverySupervisor.h"
#include "FakeSendBox.h"
#include "client/outbox/BrindleLauncher.h"
#include "client/outbox/EntryList.h"
#include "client/settings/ClientSettings.h"
#include "common/ExchangeFiles.h"
#include "common/FileLocks.h"
#include "common/InstallPath.h"
#include "support/FakeClock.h"
#include "support/FakeInternetRoute.h"
#include "support/FakeLauncher.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString kE1 = "[1] 05/12/2026 16:20:00 +441 one";
// A status word inside the text is no status.
const QString kE2 = "[2] 05/12/2026 16:20:00 +442 Order status: Accepted:: two";
const QString kE3 = "[12] 05/12/2026 16:20:00 +443 twelve";
const QString kCrashText =
    "No modem detected on the selected port. You will not be able to send any SMS "
    "messages.\r\nSelect CONFIGURE button to choose correct a valid port and try again.";

// What the supervisor said: through its outlet, or as Send Queue's answer.
struct Told {
    QList<Notice> notices;
    void listen(DeliverySupervisor& s) {
        QObject::connect(&s, &DeliverySupervisor::notice,
                         [this](const Notice& n) { notices << n; });
    }
    void take(const std::optional<Notice>& n) {
        if (n)
            notices << *n;
    }
    QStringList texts() const {
        QStringList t;
        for (const Notice& n : notices)
            t << n.text;
        return t;
    }
    bool lastIs(const QString& title, Notice::Mark mark) const {
        return notices.last().title == title && notices.last().mark == mark;
    }
};

struct DeliveryTest : ::testing::Test {
    DeliveryTest()
        : supervisor(inst.installation(), {outbox, queue, schedule}, controls, launcher, internet,
                     settings) {
        settings.connection = ConnectionType::Modem;
        boxes.listen(supervisor);
        supervisor.addOperatorQueue = [this](const QString& e) {
            queue.append(e);
            ExchangeFiles::appendToInbox(inst.appPath(), {e});
        };
    }
    void state(const char* word) {
        inst.writeBytes(ExchangeFiles::kStateFile, QByteArray(word) + "\r\n");
    }
    QByteArray stateBytes() { return inst.bytes(ExchangeFiles::kStateFile); }
    void queued(const QString& e) {
        outbox.append(e);
        queue.append(e);
    }
    static QString names(QStringList entries) {
        entries.replaceInStrings(kE1, "e1").replaceInStrings(kE2, "e2").replaceInStrings(kE3,
                                                                                         "e12");
        return entries.isEmpty() ? "-" : entries.join(',');
    }
    // One poll, told in one line: the state word, the outbox and the operator
    // queue (e1, e2, e12 for the entries above), the starts, the boxes shown
    // so far, and what the poll did to the Send box.
    QString tick() {
        controls.log.clear();
        supervisor.poll();
        return QString("%1 outbox %2 queue %3 starts %4 boxes %5 | %6")
            .arg(QString(stateBytes().trimmed()), names(outbox.items()), names(queue.items()))
            .arg(launcher.starts.size())
            .arg(boxes.notices.size())
            .arg(controls.log);
    }

    TestInstallation inst;
    FakeClock clock;
    Told boxes;
    StringEntryList outbox, queue, schedule;
    FakeSendBox controls;
    FakeLauncher launcher;
    FakeInternetRoute internet;
    ClientSettings settings;
    DeliverySupervisor supervisor;
};

} // namespace

TEST_F(DeliveryTest, AnIdlePollWithQueuedEntriesStartsARunAndABusyOneWaits) {
    // Nothing to send: Queue Messages leaves the poll stopped, Send Immediately polls on.
    state("START");
    EXPECT_EQ(tick(), "START outbox - queue - starts 0 boxes 0 | poll- configure+ configure+ ");
    controls.queue = false;
    EXPECT_EQ(tick(), "START outbox - queue - starts 0 boxes 0 | poll- configure+ poll+ ");
    queued(kE1);
    queued(kE2);
    state("INUSE");
    EXPECT_EQ(tick(), "INUSE outbox e1,e2 queue e1,e2 starts 0 boxes 0 | poll- poll+ ");

    state("START");
    QString nested = "not run";
    clock.onWait([&](qint64) { nested = tick(); }); // a tick inside the start's wait does nothing
    EXPECT_EQ(tick(), "CEL outbox Processing::e1,Processing::e2 queue - starts 1 boxes 0 | poll+ ");
    clock.onWait(nullptr);
    EXPECT_EQ(nested, "CEL outbox e1,e2 queue e1,e2 starts 0 boxes 0 | ");
    EXPECT_EQ(stateBytes() + inst.bytes(ExchangeFiles::kCurrentNom) +
                  inst.bytes(ExchangeFiles::kCurrentQueue),
              QByteArray("CEL\r\nCellnet\r\nCellnet  2\r\n"));
    EXPECT_EQ(launcher.starts.value(0),
              inst.root() + "/NOM/UK/Cellnet/Brindle in " + QDir::currentPath());
    EXPECT_EQ(clock.totalWaitedMs(), 2000);
    // Brindle runs but has not written "INUSE" yet; a new entry arrives.
    queue.append(kE1);
    EXPECT_EQ(tick(), "CEL outbox Processing::e1,Processing::e2 queue e1 starts 1 boxes 0 | "
                      "poll- poll+ ");

    // Requested, complete or any other word is idle once the run has ended.
    for (const char* word : {"CEL", "COMPLETE", "anything"}) {
        state(word);
        launcher.alive = false;
        launcher.starts.clear();
        supervisor.poll();
        EXPECT_EQ(launcher.starts.size(), 1) << word;
        queue.append(kE1);
    }
    state("COMPLETE");
    supervisor.poll();
    EXPECT_EQ(inst.bytes(ExchangeFiles::kCurrentNom), QByteArray("No NOM Active\r\n"));
}

// Marked by the whole bracketed id at the start, never by text, then moved
// to the accepted file: kept, and not marked twice, while it cannot be written.
TEST_F(DeliveryTest, AcceptedEntriesAreMarkedThenMovedToTheAcceptedFile) {
    state("INUSE");
    const QString e3 = "[3] 05/12/2026 16:20:00 +441 three] [x]";
    const QString e4 = "[4] 05/12/2026 16:20:00 +441 Accepted:: with [12] inside";
    for (const QString& e : {"Processing::" + kE1, kE2, "Processing::" + kE3, e3, e4})
        outbox.append(e);
    inst.writeBytes(ExchangeFiles::kAccepted, lines({kE3, kE2, e3}));
    QDir().mkpath(inst.file("Config\\AccpMsgs.dat"));
    const QString marked =
        "INUSE outbox Processing::e1,Accepted::e2,Accepted::e12,Accepted::" + e3 + "," + e4 +
        " queue - starts 0 boxes 0 | poll- poll+ ";
    EXPECT_EQ(tick(), marked);
    EXPECT_EQ(tick(), marked);
    QDir().rmdir(inst.file("Config\\AccpMsgs.dat"));
    EXPECT_EQ(tick(),
              "INUSE outbox Processing::e1," + e4 + " queue - starts 0 boxes 0 | poll- poll+ ");
    EXPECT_EQ(inst.bytes("Config\\AccpMsgs.dat"),
              lines({"Accepted::" + kE2, "Accepted::" + kE3, "Accepted::" + e3}));
}

TEST_F(DeliveryTest, AFailedStartIsToldOnceAndTriedAgainAfterAMinuteOrAtSendQueue) {
    const auto told = [&](const QString& reason) {
        return "The operator module could not be started:\r\n" + inst.root() +
               "/NOM/UK/Cellnet/Brindle\r\n" + reason +
               "\r\nThe messages stay in the Outbox and are tried again in a minute or at "
               "Send Queue.";
    };
    controls.queue = false;
    state("START");
    queued(kE1);
    launcher.problem = "No such file or directory";
    // Still deletable: neither marked nor taken from the queue.
    EXPECT_EQ(tick(), "START outbox e1 queue e1 starts 0 boxes 1 | poll- poll+ ");
    EXPECT_EQ(boxes.texts(), QStringList{told("No such file or directory")});
    EXPECT_TRUE(boxes.lastIs("Quorvel Warning", Notice::Mark::Warning));

    // The polls of the next minute neither try nor tell nor wait.
    for (int s = 1; s < 60; ++s) {
        clock.advanceMs(1000);
        supervisor.poll();
    }
    EXPECT_TRUE(launcher.checks == 1 && clock.totalWaitedMs() == 0);

    // A minute on it tries again, silently; now the start itself fails.
    launcher.problem.clear();
    launcher.startError = "execv: Exec format error";
    clock.advanceMs(1000);
    supervisor.poll();
    EXPECT_EQ(tick(), "START outbox e1 queue e1 starts 1 boxes 1 | poll- poll+ ");

    // Send Queue tries at once and tells again.
    boxes.take(supervisor.sendQueueClicked());
    EXPECT_EQ(tick(), "START outbox e1 queue e1 starts 2 boxes 2 | poll- poll+ ");
    EXPECT_EQ(boxes.texts().last(), told("execv: Exec format error"));
    launcher.startError.clear();
    boxes.take(supervisor.sendQueueClicked());
    EXPECT_EQ(tick(), "CEL outbox Processing::e1 queue - starts 3 boxes 2 | poll- poll+ ");
}

TEST(BrindleLauncher, SaysWhyAProgramCannotBeStarted) {
    TestInstallation inst;
    DetachedBrindleLauncher launcher;
    const QString program = inst.file(ExchangeFiles::kProgram);
    QFile::remove(program);
    EXPECT_EQ(launcher.startProblem(program), "No such file or directory");
    QString error;
    EXPECT_FALSE(launcher.start(program, inst.root(), error));
    EXPECT_TRUE(error.endsWith("No such file or directory")) << error.toStdString();
    inst.writeBytes(ExchangeFiles::kProgram, "#!/bin/sh\n");
    QFile(program).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(launcher.startProblem(program), "");
}

TEST_F(DeliveryTest, ACrashClearsTheOutboxOnceAndStartsNothingInThatTick) {
    state("CRASH");
    outbox.append("Processing::" + kE1);
    queued(kE2);
    controls.queue = false; // so only the crash handling enables Configure
    EXPECT_EQ(tick(), "START outbox - queue e2 starts 0 boxes 1 | poll- configure+ poll+ ");
    EXPECT_EQ(boxes.texts(), QStringList{kCrashText});
    EXPECT_TRUE(boxes.lastIs("Quorvel Warning", Notice::Mark::None));
    EXPECT_EQ(inst.bytes(ExchangeFiles::kCurrentNom),
              QByteArray("NOM Failed. Queued Messages\r\n"));
    // The next poll is idle.
    EXPECT_EQ(tick(), "CEL outbox - queue - starts 1 boxes 1 | poll- configure+ poll+ ");
}

// A run in use whose alive counter stays still is dead: after ten seconds once
// it has ended, after thirty (and ended by us) while it still runs.
TEST_F(DeliveryTest, ASilentAliveCounterIsACrashAChangingOneIsNot) {
    for (auto [running, silentMs] : {std::pair{false, 10000}, std::pair{true, 30000}}) {
        TestInstallation fresh;
        DeliverySupervisor s(fresh.installation(), {outbox, queue, schedule}, controls, launcher,
                             internet, settings);
        boxes.listen(s);
        fresh.writeBytes(ExchangeFiles::kStateFile, "INUSE\r\n");
        outbox.append("Processing::" + kE1);
        boxes.notices.clear();
        launcher.alive = running;
        launcher.terminated = 0;
        for (int ms = 0; ms < silentMs; ms += 2000) { // a changing counter keeps it alive
            fresh.writeBytes(ExchangeFiles::kAlive, QByteArray::number(ms) + "\r\n");
            s.poll();
            clock.advanceMs(2000);
        }
        fresh.writeBytes(ExchangeFiles::kAlive, "last\r\n");
        s.poll();
        clock.advanceMs(silentMs - 1000);
        s.poll();
        EXPECT_TRUE(boxes.notices.isEmpty() && s.nomAlive() && !launcher.terminated) << running;
        clock.advanceMs(1000);
        s.poll();
        EXPECT_EQ(boxes.texts(), QStringList{kCrashText}) << running;
        EXPECT_EQ(launcher.terminated, running ? 1 : 0);
        EXPECT_EQ(fresh.bytes(ExchangeFiles::kStateFile), QByteArray("START\r\n"));
        EXPECT_TRUE(outbox.isEmpty());
    }
}

// quorvel-send starts runs too. A silent run the client did not start, still
// holding its run lock, is busy: no crash, no cleared outbox, no second run.
TEST_F(DeliveryTest, ARunAnotherProgramStartedIsBusyWhateverItsStateWordOrSilence) {
    queued(kE1);
    auto run = std::make_unique<FileLocks::RunLock>(inst.appPath());
    for (const char* word : {"INUSE", "CEL", "COMPLETE", "START"}) {
        state(word);
        for (int i = 0; i < 3; ++i, clock.advanceMs(30000))
            supervisor.poll();
        EXPECT_EQ(tick(), QString(word) + " outbox e1 queue e1 starts 0 boxes 0 | poll- poll+ ");
    }
    run.reset();
    supervisor.poll();
    EXPECT_EQ(launcher.starts.size(), 1);
}

// Entries appended as a run ended, or while another program's run held the
// line, are in nobody's hands: they start a run of their own, at most every
// few seconds, and not once a crash has cleared the outbox.
TEST_F(DeliveryTest, EntriesAnEndedRunLeftInTheInboxStartAnotherRun) {
    ExchangeFiles::appendToInbox(inst.appPath(), {kE1});
    outbox.append("Processing::" + kE1);
    auto run = std::make_unique<FileLocks::RunLock>(inst.appPath());
    state("INUSE");
    supervisor.poll();
    EXPECT_TRUE(launcher.starts.isEmpty());
    run.reset();
    state("COMPLETE");
    // Once, then again each five seconds while they wait; none for a cleared outbox.
    QList<int> starts;
    for (int ms : {0, 0, 5000, 5000}) {
        if (starts.size() == 3)
            outbox.clear();
        clock.advanceMs(ms);
        supervisor.poll();
        starts << int(launcher.starts.size());
        launcher.alive = false; // it ended without taking them
    }
    EXPECT_EQ(starts, (QList<int>{1, 1, 2, 2}));
}

// The start lock makes "running?" and the start one step for every starter;
// the client holds it from its start until the new run holds its run lock.
TEST_F(DeliveryTest, TheStartLockIsWaitedForAndHeldUntilTheRunHoldsItsLock) {
    const QString lockFile = InstallPath::resolve(inst.appPath(), FileLocks::kStartLock);
    using Lock = FileLocks::FileLock;
    state("START");
    queue.append(kE1);
    auto other = std::make_unique<Lock>(lockFile, Lock::Mode::Try);
    EXPECT_EQ(tick(), "START outbox - queue e1 starts 0 boxes 0 | poll- configure+ configure+ ");
    other.reset();
    for (const QString& e : {kE1, kE2}) { // the second tick starts nothing
        queue.append(e);
        supervisor.poll();
        EXPECT_EQ(launcher.starts.size(), 1);
        EXPECT_FALSE(Lock(lockFile, Lock::Mode::Try).held());
    }
    FileLocks::RunLock run(inst.appPath());
    supervisor.poll();
    EXPECT_TRUE(Lock(lockFile, Lock::Mode::Try).held());
}

// Due by the date and time between the id and the number, seconds and both
// forms read; entries without one stay.
TEST_F(DeliveryTest, DueScheduledEntriesAreReleasedInOrder) {
    state("INUSE");
    launcher.alive = true;
    const QString past1 = "[7] 5/12/2026 16:19:00 +441 a P1/1 5/12/2026 16:19:00";
    const QString future = "[8] 05/12/2026 16:20:01 +441 b P1/1 5/12/2026 16:20:01";
    const QString past2 = "[9] 5/12/2026 16:20:00 +441 c P1/1 5/12/2026 16:20:00";
    const QStringList stay{future, "[10] soon +441 d", "[11] 31/2/2026 9:05:00 +441 d",
                           "[12] +441 5/12/2026 9:05:00 d", "5/12/2026 9:05:00 +441 e"};
    for (const QString& e : QStringList{past1, past2} + stay)
        schedule.append(e);
    supervisor.poll();
    EXPECT_EQ(outbox.items() + queue.items(), (QStringList{past1, past2, past1, past2}));
    EXPECT_EQ(schedule.items(), stay);
}

TEST_F(DeliveryTest, SendQueueStartsThePollOrHandsTheOutboxToTheInternet) {
    for (ConnectionType c : {ConnectionType::Modem, ConnectionType::Internet}) {
        settings.connection = c;
        outbox.clear();
        controls.log.clear();
        boxes.take(supervisor.sendQueueClicked()); // nothing to send
        outbox.append(kE1);
        boxes.take(supervisor.sendQueueClicked());
        EXPECT_EQ(controls.log,
                  c == ConnectionType::Modem ? "configure+ poll+ configure- " : "configure+ ");
    }
    EXPECT_EQ(boxes.texts(), QStringList(2, "The Outbox is empty. No messages to send        "));
    EXPECT_EQ(boxes.notices.last().mark, Notice::Mark::Warning);
    EXPECT_EQ(internet.submitted, 1);
    EXPECT_EQ(controls.blinkStops, 4);
}
