#include "BrindleSimTest.h"
#include "ReadOnlyFile.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "nom/QueueStore.h"
#include "support/SimulatedModemManager.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTimer>
#include <optional>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ExchangeFiles;

// Every way a run ends, against the simulator's faults: the files, the call as
// the simulator saw it, how often the status that tells why was logged, and
// how often the port was opened. Line 1 of the inbox, a malformed and an
// over-long line are skipped, and said so (the over-long one by its start and
// length); where the log is given, the run logs exactly that, and the alive
// counter goes on every two seconds, also inside the cycle's waits.
TEST(BrindleRuns, EndAsTheCentreAnswers) {
    // Texts that hold the centre's own answers (an echo of their block is no
    // answer), and a plus that does not start the number.
    const QStringList tricky{"[1] d +441 first+second", "[2] d +442 was it successful?",
                             "[3] d +443 Message send failed, so again"};
    const QString overLong = "[3] long +443 " + QString(1986, 'x');
    const QStringList loggedOn = {"Skipped line 1 of Brindle.in : [0] one +440 x",
                                  "Skipped malformed entry : [2] bad",
                                  "Skipped over-long entry : " + overLong.left(60) +
                                      "... (2000 characters)",
                                  "Skipped entry with a control character : [4] c +444 disk^Cfull",
                                  "Resetting modem",
                                  "Dialling SMSC",
                                  "Logging In",
                                  "Sending Message +447700900101 ",
                                  "Message 1 "};
    const QStringList busy = {"Resetting modem", "Dialling SMSC", "Failed to connect to SMSC",
                              "Logging Out", "Logged Out"};
    struct Case {
        const char* sim;
        const char* expected;
        QStringList queued = entries(3);
        QByteArray retries = "3";
        QByteArray port = "1";
        qint64 ms = -1;     // how long the run takes, where it matters
        bool tuned = false; // the shipped Brindle.cfg.tuned
        QStringList log = {};
        QStringList arriving = {}; // appended at the tick after the second dial
    };
    const char* nine =
        "COMPLETE out:1 2 3 4 5 6 7 8 9 rcv: DLAAAAODLAAAAODLA 'Message Accepted' x9 opens:1";
    const Case cases[] = {
        {"", "COMPLETE out:1 rcv: DLA '211 Transmission successful' x1 opens:1", entries(1), "1",
         "1", 2000 + 5000 + 1000 + 1000, false,
         loggedOn + QStringList{"Message Accepted", "211 Transmission successful"}},
        // Four messages per log-on and call; closing the port ends the last.
        // Dials that take a second: the specified pauses and connects (2 s,
        // 5 + 1 + 1 s per call, 1 s per message, 2 + 3 s per renewal), and
        // nothing but the connects with the tuned example.
        {"--connect-delay 1", nine, entries(9), "3", "1", 42000},
        {"--connect-delay 1", nine, entries(9), "3", "1", 3000, true},
        // Entries arriving during a run go in the next cycle.
        {.sim = "--busy --faulty-dials 2",
         .expected = "COMPLETE out:1 2 rcv: DLAA 'Failed to connect to SMSC' x2 opens:3",
         .queued = entries(1),
         .arriving = entries(2).mid(1)},
        // Two attempts 5 s apart, each after the reset's 5 s pause; the next
        // tick 2 s later.
        {"--busy", "CRASH out: rcv:1 - 'Failed to connect to SMSC' x4 opens:4", entries(1), "2",
         "1", 2000 + 15000 + 2000 + 15000, false,
         loggedOn.mid(0, 4) + busy + busy + QStringList{"Cannot contact SMSC... Retrying"} + busy +
             busy + QStringList{"Cannot contact SMSC... Exiting"}},
        {"--silent-modem", "CRASH out: rcv:1 2 3 - 'No Modem Response' x6 opens:6"},
        {"", "CRASH out: rcv:1 2 3 - 'Cannot Open Port' x6 opens:0", entries(3), "3", "0"},
        {"--no-id", "CRASH out: rcv:1 2 3 DDDDDD 'SMSC not responding' x6 opens:6"},
        {"--no-go-ahead",
         "CRASH out: rcv:1 2 3 DODODODODODO 'Timed out waiting for Ready' x6 opens:6"},
        // Nothing queued, or no retries: the first tick ends the run.
        {"", "COMPLETE out: rcv: - 'Resetting modem' x0 opens:0", {}, "3", "1", 2000},
        {"", "CRASH out: rcv:1 2 - 'Resetting modem' x0 opens:0", entries(2), "0", "1", 2000},
        // A rejected message is dropped and costs no retry.
        {"--reject-every 2", "COMPLETE out:1 3 rcv: DLADLA 'Message send failed' x1 opens:2",
         entries(3), "1"},
        // 3 s, then the hang-up on line: 1 s for AT, the guard, "+++", the
        // guard, ATH; then 5 s.
        {"--reject-every 1", "COMPLETE out: rcv: DL 'Message send failed' x1 opens:1", entries(1),
         "1", "1", 2000 + 5000 + 1000 + 3000 + 1000 + 2000 + 1000 + 1000 + 5000, false,
         loggedOn + QStringList{"Message send failed", "Logging Out", "Logged Out"}},
        // A call lost after an acceptance costs no retry; one lost before any does.
        {"--drop-after 1", "COMPLETE out:1 2 3 rcv: DLADLAA 'Connection to SMSC lost' x1 opens:2",
         tricky, "1"},
        // A message the centre asks for again in three cycles is dropped, and
        // holds back none behind it.
        {"--nak-number 447700900102",
         "COMPLETE out:1 3 rcv: DLAODLODLODLA 'Refused by SMSC: [2]' x1 opens:4", entries(3), "1"},
        // A silent centre costs a retry at every third time-out.
        {"--silent-after 0",
         "CRASH out: rcv:1 2 DLODLODLODLODLODLODLODLODLO 'Timed out waiting for message response' "
         "x9 opens:9",
         entries(2)},
        // An acceptance without its closing lines is recorded, and costs a retry.
        {"--unterminated",
         "COMPLETE out:1 2 rcv: DLAODLAO 'Timed out waiting for Ready' x2 opens:2", entries(2)},
    };
    int nestedTicks = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        BrindleSim run;
        if (c.tuned)
            run.inst.writeBytes(kConfig, run.file(kConfig + ".tuned"));
        run.simulate(c.sim);
        run.setConfigLine(22, c.retries);
        run.setConfigLine(24, "7");
        run.inst.writeBytes(kPortFile, c.port + "\r\n");
        run.inst.writeBytes(kInbox, "[0] one +440 x\r\n" + lines({"[2] bad", overLong,
                                                                  "[4] c +444 disk\x03"
                                                                  "full"}));
        run.queue(c.queued);
        run.onTick = [&] {
            if (run.modem.dials() == 2 && !c.arriving.isEmpty())
                appendToInbox(run.inst.appPath(), c.arriving), run.onTick = {};
        };
        run.startAndRun();
        const QString expected = c.expected;
        const QString reason = expected.section('\'', 1, 1);
        const QStringList s = run.statuses();
        const QString story = run.story().isEmpty() ? "-" : run.story();
        EXPECT_EQ(QString("%1 %2 '%3' x%4 opens:%5")
                      .arg(run.ending(c.queued + c.arriving), story, reason)
                      .arg(s.count(reason))
                      .arg(run.line.opens()),
                  expected);
        EXPECT_EQ(run.file(kStateFile), (run.brindle->endedAs() + "\r\n").toLatin1());
        const QStringList out = LineFile::readAll(run.inst.file(kAccepted));
        EXPECT_EQ(run.file(kAccepted), lines(out));
        EXPECT_EQ(run.line.record(), simulatorRecord(out));
        EXPECT_TRUE(run.file(kCarryOver).startsWith("\r\n"));
        EXPECT_EQ(run.file(kInbox), QByteArray("\r\n"));
        EXPECT_EQ(QFileInfo(run.inst.file(kJournal)).size(), 0);
        EXPECT_EQ(s.last() == "Cannot contact SMSC... Exiting", run.brindle->endedAs() == "CRASH");
        EXPECT_TRUE(c.ms < 0 || run.elapsedMs() == c.ms) << run.elapsedMs();
        EXPECT_FALSE(run.line.isOpen());
        if (!c.log.isEmpty()) {
            EXPECT_EQ(s.mid(s.indexOf("******* Starting Brindlemod ********") + 1), c.log);
            EXPECT_EQ(run.file(kMonitorLog).mid(18), (c.log.last() + "\r\n").toLatin1());
        }
        EXPECT_NEAR(run.pinValues.size(), run.elapsedMs() / 2000, 1);
        for (qsizetype i = 0; i < run.pinValues.size(); ++i)
            ASSERT_EQ(run.pinValues[i], i + 8); // its wrap is in the AliveCounter test
        nestedTicks += run.ticksInsideCycle;
    }
    EXPECT_GT(nestedTicks, 0);
}

TEST_F(BrindleSimTest, AnInboxThatCannotBeEmptiedIsSentOnceItCanBe) {
    run.queue(entries(2));
    run.inst.writeBytes(kCarryOver, lines({"[7] r +447 carried"}));
    const QByteArray inbox = run.file(kInbox);
    ReadOnlyFile locked(run.inst.file(kInbox));
    ASSERT_TRUE(locked.holds());
    run.startAndRun();
    EXPECT_EQ(run.file(kAccepted), lines({"[7] r +447 carried"}));
    EXPECT_EQ(run.line.record(), "447\tcarried\n");
    EXPECT_EQ(run.file(kInbox), inbox);
    // Once at the first intake, once at the send cycle's.
    EXPECT_EQ(run.statuses().count("Cannot empty Brindle.in: its entries are left in it"), 2);
    // Once it can be emptied, its entries go, once.
    locked.release();
    run.startAndRun();
    EXPECT_EQ(run.file(kAccepted), lines(QStringList{"[7] r +447 carried"} + entries(2)));
}

// Each acceptance is in the log before it is in Brindle.out; one that
// Brindle.out refuses is recorded after the next one, in order, and one still
// owed when the run ends is recorded by the next run, not sent again.
TEST_F(BrindleSimTest, AnAcceptanceIsLoggedThenRecordedAndARefusedOneLater) {
    const QStringList queued = entries(4);
    run.queue(queued);
    run.setConfigLine(22, "1");
    run.simulate("--drop-after 3");
    // A folder where the file should be: every append fails until it goes.
    run.inst.remove(kAccepted);
    ASSERT_TRUE(QDir().mkpath(run.inst.file(kAccepted)));
    std::optional<ReadOnlyFile> locked; // refused again from the third on
    run.line.beforeWrite = [&] {
        if (run.line.record().count('\n') == 1)
            run.inst.remove(kAccepted);
        else if (run.line.record().count('\n') == 2 && !locked)
            locked.emplace(run.inst.file(kAccepted));
    };
    QList<QByteArray> recordedAtAnswer;
    run.start();
    QObject::connect(run.brindle.get(), &BrindleController::statusAdded, [&](const QString& text) {
        if (text == "211 Transmission successful")
            recordedAtAnswer << run.file(kAccepted);
    });
    run.runToEnd();
    // The call dropped after the third cost no retry: the fourth went too.
    EXPECT_EQ(run.ending(queued), "COMPLETE out:1 2 rcv:");
    EXPECT_EQ(recordedAtAnswer,
              (QList<QByteArray>{"<missing>", "<missing>", lines(queued.mid(0, 2)),
                                 lines(queued.mid(0, 2))}));
    EXPECT_EQ(run.file(kJournal), lines({QueueStore::kOwedMarker, queued[2], queued[3]}));
    EXPECT_EQ(run.statuses().filter("Cannot write Brindle.out"),
              (QStringList{"Cannot write Brindle.out, kept for later : " + queued[0],
                           "Cannot write Brindle.out, kept for later : " + queued[2],
                           "Cannot write Brindle.out, kept for later : " + queued[3],
                           "Cannot write Brindle.out, kept in Brindle.tkn : " + queued[2],
                           "Cannot write Brindle.out, kept in Brindle.tkn : " + queued[3]}));
    locked->release();
    run.startAndRun();
    EXPECT_EQ(run.ending(queued), "COMPLETE out:1 2 3 4 rcv:");
    EXPECT_EQ(run.line.record(), simulatorRecord(queued));
    EXPECT_EQ(run.file(kJournal), QByteArray());
}

// Exit at any wait: nothing more is logged or sent, what the centre accepted
// is recorded, and the rest is carried over for the next run.
TEST(BrindleExit, AtAnyWaitKeepsEveryEntry) {
    const std::tuple<const char*, int, QString, const char*> cases[] = {
        // The first wait after the status line.
        {"--silent-modem", 2, "Resetting modem", "EXIT out: rcv:1 2"},
        {"--delay 3000", 2, "Dialling SMSC", "EXIT out: rcv:1 2"},
        {"", 2, "Dialling SMSC", "EXIT out: rcv:1 2"}, // the log-on's first pause
        {"--no-id", 2, "Logging In", "EXIT out: rcv:1 2"},
        {"--silent-after 0", 3, "Message 1 ", "EXIT out: rcv:1 2 3"},
        {"", 3, "Message Accepted", "EXIT out:1 rcv:2 3"},
        {"", 5, "Logged Out", "EXIT out:1 2 3 4 rcv:5"}, // the renewal
        {"--reject-every 1", 2, "Message send failed", "EXIT out: rcv:2"},
    };
    for (const auto& [sim, n, clickAfter, expected] : cases) {
        SCOPED_TRACE(std::string(sim) + " " + clickAfter.toStdString());
        BrindleSim run;
        run.simulate(sim);
        run.queue(entries(n));
        run.start();
        bool armed = false;
        qsizetype linesAtClick = -1;
        QObject::connect(run.brindle.get(), &BrindleController::statusAdded,
                         [&](const QString& text) { armed = armed || text == clickAfter; });
        run.duringWait = [&] {
            if (armed && linesAtClick < 0) {
                linesAtClick = run.statuses().size();
                run.brindle->exitClicked();
                EXPECT_FALSE(run.brindle->hasEnded()) << "the cycle unwinds first";
            }
        };
        run.runToEnd();
        EXPECT_EQ(run.ending(entries(n)), expected);
        EXPECT_EQ(run.statuses().mid(linesAtClick), QStringList());
        EXPECT_LT(run.elapsedMs(), 60000);
        EXPECT_EQ(run.file(kJournal), QByteArray());
        EXPECT_EQ(run.file(kStateFile), QByteArray("INUSE\r\n"));
        EXPECT_FALSE(run.line.isOpen());
    }
}

// On a mobile modem Exit is seen between messages, and during a slow send,
// which it never cuts short: the network may have the message already.
TEST(BrindleExit, OnAMobileModemBetweenAndDuringSends) {
    SimulatedModemManager mm(SMSCSIM_PATH, {"--lifetime", "120", "--mm-send-delay", "300"});
    ASSERT_FALSE(mm.address.isEmpty()) << "dbus-daemon did not start: install the dbus package";
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", mm.address.toUtf8());
    const std::tuple<QString, QStringList, const char*> cases[] = {
        {"Message Accepted", {"Message Reference : 1"}, "EXIT out:1 rcv:2 3"},
        {"Message 2 ", {"Message Accepted", "Message Reference : 3"}, "EXIT out:1 2 rcv:3"},
    };
    for (const auto& [clickAfter, afterClick, expected] : cases) {
        SCOPED_TRACE(clickAfter.toStdString());
        BrindleSim run;
        run.inst.writeBytes(kComPorts, "mm:490154203237518\r\n");
        run.queue(entries(3));
        run.start();
        qsizetype linesAtClick = -1;
        QObject::connect(run.brindle.get(), &BrindleController::statusAdded,
                         [&](const QString& text) {
                             if (text != clickAfter || linesAtClick >= 0)
                                 return;
                             // Clicked as soon as the window gets a turn.
                             QTimer::singleShot(0, run.brindle.get(), [&] {
                                 linesAtClick = run.statuses().size();
                                 run.brindle->exitClicked();
                             });
                         });
        run.runToEnd();
        EXPECT_EQ(run.ending(entries(3)), expected);
        EXPECT_EQ(run.statuses().mid(linesAtClick), afterClick);
    }
}

// The journal is read at start: an exit before the first tick carries its
// entries over and records what it still owes. An entry the killed run had
// not yet emptied from the inbox stays there.
TEST_F(BrindleSimTest, ExitBeforeTheFirstTickKeepsAKilledRunsEntries) {
    run.queue({"[3] i +443 inbox"});
    run.inst.writeBytes(kJournal, "[1] j +441 taken\r\n[3] i +443 inbox\r\n"
                                  "\r\n[2] j +442 accepted\r\n");
    run.start();
    run.brindle->exitClicked();
    EXPECT_EQ(run.brindle->endedAs(), "EXIT");
    EXPECT_EQ(run.file(kCarryOver), QByteArray("[1] j +441 taken\r\n"));
    EXPECT_EQ(run.file(kAccepted), QByteArray("[2] j +442 accepted\r\n"));
    EXPECT_EQ(run.file(kInbox), QByteArray("\r\n[3] i +443 inbox\r\n"));
    EXPECT_EQ(run.file(kJournal), QByteArray());
}

// Killed at any write to the line, as a process is killed (no destructor, no
// clean-up): the next run sends everything, and only the entry in flight may
// go twice.
TEST(BrindleJournal, AKilledBrindleLosesNothingWhereverItDies) {
    const QStringList queued = entries(6);
    qsizetype killAt = 1;
    // Until a run gets through all its writes.
    for (bool killed = true; killed; ++killAt) {
        SCOPED_TRACE(killAt);
        BrindleSim run;
        run.queue(queued);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            run.line.beforeWrite = [&] {
                if (run.line.writes().size() + 1 >= killAt)
                    ::kill(::getpid(), SIGKILL);
            };
            run.startAndRun();
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        ASSERT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0));
        // The client appends more while no Brindle runs.
        appendToInbox(run.inst.appPath(), {"[7] d +447777 seven"});
        run.startAndRun();
        const QStringList all = queued + QStringList{"[7] d +447777 seven"};
        const QStringList out = LineFile::readAll(run.inst.file(kAccepted));
        EXPECT_EQ(QSet<QString>(out.begin(), out.end()), QSet<QString>(all.begin(), all.end()));
        EXPECT_LE(out.size(), all.size() + 1);
        EXPECT_EQ(run.ending(all).section(' ', 0, 0), "COMPLETE");
        EXPECT_EQ(run.file(kJournal), QByteArray());
        EXPECT_EQ(run.file(kInbox), QByteArray("\r\n"));
    }
    EXPECT_GT(killAt, 15);
}
