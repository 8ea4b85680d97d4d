#include "BrindleRun.h"
#include "QtPrinters.h"
#include "ReadOnlyFile.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "nom/TapText.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace ExchangeFiles;

namespace {

QStringList entries(int n) {
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << QStringLiteral("[%1] 05/12/2026 16:20:00 +4477009001%2 Message %1 ")
                   .arg(i)
                   .arg(i, 2, 10, QLatin1Char('0'));
    return out;
}

QByteArray lines(const QStringList& l) {
    return LineFile::encodeLines(l);
}

// A folder where the file should be: every append fails until it goes.
bool refuseAppends(const TestInstallation& inst, const QString& relative) {
    inst.remove(relative);
    return QDir().mkpath(inst.file(relative));
}

} // namespace

TEST(BrindleMainLoop, SendsEveryEntryAndEndsComplete) {
    BrindleRun run;
    const QStringList queued = entries(3);
    run.queue(queued);
    run.start();
    EXPECT_EQ(readStateWord(run.inst.appPath()), "INUSE");
    run.runToEnd();
    ASSERT_TRUE(run.brindle->hasEnded());
    EXPECT_EQ(run.brindle->endedAs(), "COMPLETE");
    EXPECT_EQ(run.file(kStateFile), QByteArray("COMPLETE\r\n"));
    EXPECT_EQ(run.file(kAccepted), lines(queued));
    EXPECT_EQ(run.file(kInbox), QByteArray("\r\n"));
    EXPECT_EQ(run.file(kJournal), QByteArray());
    ASSERT_EQ(run.smsc.accepted.size(), 3);
    EXPECT_EQ(run.smsc.accepted[0].number, "447700900101");
    EXPECT_EQ(run.smsc.accepted[2].text, "Message 3 ");
    EXPECT_EQ(run.brindle->sentQueue(), queued);
    EXPECT_FALSE(run.line.isOpen());
    // Closing the port ends the call: no log-off after the last message.
    EXPECT_EQ(run.line.writeCount(QByteArray(1, TapText::EOT) + "\r"), 0);
    const QStringList s = run.statuses();
    EXPECT_TRUE(s.contains("Sending Message +447700900101 "));
    EXPECT_EQ(s.count("Message Accepted"), 3);
    EXPECT_EQ(s.count("Message sent successful"), 3);
    EXPECT_EQ(run.file(kMonitorLog).mid(18), QByteArray("Message sent successful\r\n"));
}

TEST(BrindleMainLoop, EmptyQueueEndsCompleteAtTheFirstTickWithoutThePort) {
    BrindleRun run;
    run.start();
    run.runToEnd();
    EXPECT_EQ(run.brindle->endedAs(), "COMPLETE");
    EXPECT_EQ(run.elapsedMs(), 2000);
    EXPECT_EQ(run.line.opens(), 0);
    EXPECT_EQ(run.file(kStateFile), QByteArray("COMPLETE\r\n"));
}

TEST(BrindleMainLoop, NineMessagesRenewTheLogOnBeforeTheFifthAndNinth) {
    BrindleRun run;
    run.queue(entries(9));
    run.start();
    run.runToEnd();
    EXPECT_EQ(run.brindle->endedAs(), "COMPLETE");
    EXPECT_EQ(run.smsc.logonOfMessage, (QList<int>{1, 1, 1, 1, 2, 2, 2, 2, 3}));
    EXPECT_EQ(run.smsc.dials, 3);
    EXPECT_EQ(run.file(kAccepted), lines(entries(9)));
    EXPECT_EQ(run.line.opens(), 1);
}

TEST(BrindleMainLoop, RetriesZeroGivesUpAtTheFirstTickWithoutDialling) {
    BrindleRun run;
    run.setConfigLine(22, "0");
    run.queue(entries(2));
    run.start();
    run.runToEnd();
    EXPECT_EQ(run.brindle->endedAs(), "CRASH");
    EXPECT_EQ(run.elapsedMs(), 2000);
    EXPECT_EQ(run.line.opens(), 0);
    EXPECT_EQ(run.file(kCarryOver), "\r\n" + lines(entries(2)));
    EXPECT_EQ(run.file(kStateFile), QByteArray("CRASH\r\n"));
    EXPECT_EQ(run.statuses().last(), "Cannot contact SMSC... Exiting");
}

TEST(BrindleMainLoop, UnreachableSmscUsesEveryRetryThenCarriesTheQueueOver) {
    struct Case {
        const char* name;
        std::function<void(ScriptedSmsc&)> fault;
        QString reason;
        int dials;
    };
    const Case cases[] = {
        {"busy", [](ScriptedSmsc& s) { s.dialResult = "BUSY"; }, "Failed to connect to SMSC", 6},
        {"no dial tone", [](ScriptedSmsc& s) { s.dialResult = "NO DIALTONE"; },
         "Failed to connect to SMSC", 6},
        {"silent modem", [](ScriptedSmsc& s) { s.silentModem = true; }, "No Modem Response", 0},
        {"no prompt", [](ScriptedSmsc& s) { s.noIdPrompt = true; }, "SMSC not responding", 6},
        {"no go-ahead", [](ScriptedSmsc& s) { s.noGoAhead = true; }, "Timed out waiting for Ready",
         6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BrindleRun run;
        c.fault(run.smsc);
        run.queue(entries(3));
        QList<int> opensAtTick;
        run.onTick = [&] { opensAtTick << run.line.opens(); };
        run.start();
        run.runToEnd();
        EXPECT_EQ(run.brindle->endedAs(), "CRASH");
        EXPECT_EQ(run.smsc.dials, c.dials);
        EXPECT_EQ(run.file(kCarryOver), "\r\n" + lines(entries(3)));
        EXPECT_EQ(run.file(kAccepted), QByteArray());
        EXPECT_EQ(run.file(kJournal), QByteArray());
        const QStringList s = run.statuses();
        EXPECT_EQ(s.count(c.reason), 6); // two attempts per tick, three ticks
        EXPECT_EQ(s.count("Cannot contact SMSC... Retrying"), 2);
        EXPECT_EQ(s.last(), "Cannot contact SMSC... Exiting");
        // The tick that SetOffline lets through inside the pause is ignored:
        // every tick makes exactly its two connection attempts, no more.
        EXPECT_GT(run.ticksInsideCycle, 0);
        EXPECT_EQ(opensAtTick, (QList<int>{0, 2, 4}));
        EXPECT_EQ(run.line.opens(), 6);
        EXPECT_EQ(s.count("Resetting modem"), 6);
    }
}

TEST(BrindleMainLoop, RejectedMessageIsDroppedWithoutUsingARetry) {
    BrindleRun run;
    run.smsc.rejectEvery = 2;
    run.setConfigLine(22, "1");
    run.queue(entries(3));
    run.start();
    run.runToEnd();
    EXPECT_EQ(run.brindle->endedAs(), "COMPLETE");
    EXPECT_EQ(run.file(kAccepted), lines({entries(3)[0], entries(3)[2]}));
    EXPECT_EQ(run.file(kCarryOver), QByteArray("\r\n"));
    EXPECT_EQ(run.file(kJournal), QByteArray());
    EXPECT_EQ(run.smsc.dials, 2);
    EXPECT_TRUE(run.statuses().contains("Message send failed"));
}

// The modem echoes blocks sent after the call dropped: their texts are no
// answer, and what was not answered stays queued as on a failed connection.
TEST(BrindleMainLoop, ACallLostBeforeTheAnswerKeepsTheEntryAndUsesARetry) {
    BrindleRun run;
    run.smsc.echo = true;
    run.smsc.dropAfter = 1;
    const QStringList queued{"[1] d +441 first", "[2] d +442 was it successful?",
                             "[3] d +443 Message send failed, so again"};
    run.setConfigLine(22, "1");
    run.queue(queued);
    run.start();
    run.runToEnd();
    EXPECT_EQ(run.brindle->endedAs(), "CRASH");
    EXPECT_EQ(run.smsc.accepted.size(), 1);
    EXPECT_EQ(run.file(kAccepted), lines(queued.mid(0, 1)));
    EXPECT_EQ(run.file(kCarryOver), "\r\n" + lines(queued.mid(1)));
    const QStringList s = run.statuses();
    EXPECT_EQ(s.count("Connection to SMSC lost"), 1);
    EXPECT_EQ(s.last(), "Cannot contact SMSC... Exiting");
}

TEST(BrindleMainLoop, SilentSmscCannotKeepBrindleDiallingForEver) {
    BrindleRun run;
    run.smsc.answer = ScriptedSmsc::Answer::Silent;
    run.queue(entries(2));
    run.start();
    run.runToEnd();
    EXPECT_EQ(run.brindle->endedAs(), "CRASH");
    // Three time-outs in a row use up one retry; three retries.
    EXPECT_EQ(run.smsc.blocks, 9);
    EXPECT_EQ(run.file(kCarryOver), "\r\n" + lines(entries(2)));
}

TEST(BrindleMainLoop, AnAcceptanceWithoutTheClosingLinesIsRecordedOnce) {
    BrindleRun run;
    run.smsc.answer = ScriptedSmsc::Answer::NoCrsAfter;
    run.queue(entries(2));
    run.start();
    run.runToEnd();
    EXPECT_EQ(run.brindle->endedAs(), "COMPLETE");
    EXPECT_EQ(run.smsc.blocks, 2);
    EXPECT_EQ(run.file(kAccepted), lines(entries(2)));
    EXPECT_EQ(run.statuses().count("Timed out waiting for Ready"), 2);
}

TEST(BrindleMainLoop, TerseAndCapitalisedAnswersAreAcceptances) {
    for (auto answer : {ScriptedSmsc::Answer::TerseAck, ScriptedSmsc::Answer::CapitalS}) {
        BrindleRun run;
        run.smsc.answer = answer;
        run.queue(entries(2));
        run.start();
        run.runToEnd();
        EXPECT_EQ(run.brindle->endedAs(), "COMPLETE");
        EXPECT_EQ(run.file(kAccepted), lines(entries(2)));
        EXPECT_EQ(run.smsc.blocks, 2);
    }
}

TEST(BrindleMainLoop, EntriesArrivingDuringARunGoInTheNextCycle) {
    BrindleRun run;
    run.queue(entries(1));
    run.smsc.dialResult = "BUSY"; // the first tick fails
    bool added = false;
    run.onTick = [&] {
        if (!added && run.smsc.dials > 0) {
            added = true;
            appendToInbox(run.inst.appPath(), {"[9] late +449 late one"});
            run.smsc.dialResult = "CONNECT 9600";
        }
    };
    run.start();
    run.runToEnd();
    EXPECT_EQ(run.brindle->endedAs(), "COMPLETE");
    EXPECT_EQ(run.file(kAccepted), lines({entries(1)[0], "[9] late +449 late one"}));
}

TEST(BrindleMainLoop, AliveCounterKeepsRunningDuringLongWaits) {
    BrindleRun run;
    run.smsc.silentModem = true;
    run.queue(entries(1));
    run.start();
    run.runToEnd();
    ASSERT_GT(run.pinValues.size(), 30);
    for (int i = 0; i < run.pinValues.size(); ++i)
        ASSERT_EQ(run.pinValues[i], i + 2);
    // Every two seconds, also while the modem waits run.
    EXPECT_NEAR(run.pinValues.size(), run.elapsedMs() / 2000, 1);
}

TEST(BrindleMainLoop, AliveCounterWrapsWithPingBaseOne) {
    BrindleRun run;
    run.smsc.silentModem = true;
    run.setConfigLine(22, "100"); // long enough a run
    run.setConfigLine(24, "1");
    run.queue(entries(1));
    run.start();
    run.runToEnd(1001 * 2000);
    ASSERT_GE(run.pinValues.size(), 1000);
    EXPECT_EQ(run.pinValues[997], 999);
    EXPECT_EQ(run.pinValues[998], 1);
    EXPECT_EQ(run.pinValues[999], 2);
    EXPECT_FALSE(run.pinValues.contains(1000));
}

TEST(BrindleMainLoop, ExitCarriesTheQueueOverAndLeavesTheStateInUse) {
    BrindleRun run;
    run.queue(entries(3));
    run.line.setResponder({});
    ScriptedSmsc smsc(run.line);
    run.start();
    // Exit while the first message's answer is awaited.
    run.line.on(TapText::MakeTAPString("447700900101", "Message 1 "), "");
    bool clicked = false;
    run.clock.onWait([&](qint64) {
        if (!clicked && smsc.blocks == 1) {
            clicked = true;
            run.brindle->bExit_Click();
        }
    });
    smsc.answer = ScriptedSmsc::Answer::Silent;
    run.brindle->Timer1_Timer();
    EXPECT_TRUE(clicked);
    EXPECT_EQ(run.brindle->endedAs(), "EXIT");
    EXPECT_EQ(run.file(kCarryOver), "\r\n" + lines(entries(3)));
    EXPECT_EQ(run.file(kJournal), QByteArray());
    EXPECT_EQ(run.file(kStateFile), QByteArray("INUSE\r\n"));
    EXPECT_FALSE(run.line.isOpen());
    EXPECT_LT(run.elapsedMs(), 60000); // the wait ended with the click
}

TEST(BrindleMainLoop, AnInboxThatCannotBeEmptiedIsNeverSentTwice) {
    BrindleRun run;
    run.queue(entries(2));
    run.inst.writeBytes(kCarryOver, lines({"[7] r +447 carried"}));
    const QByteArray inbox = run.file(kInbox);
    ReadOnlyFile locked(run.inst.file(kInbox));
    ASSERT_TRUE(locked.holds());
    run.start();
    run.runToEnd();
    EXPECT_EQ(run.brindle->endedAs(), "COMPLETE");
    // Only what could be taken was sent, once; the inbox keeps the rest.
    EXPECT_EQ(run.file(kAccepted), lines({"[7] r +447 carried"}));
    EXPECT_EQ(run.smsc.blocks, 1);
    EXPECT_EQ(run.file(kInbox), inbox);
    EXPECT_EQ(run.file(kJournal), QByteArray());
    // Once at the first intake, once at the send cycle's.
    EXPECT_EQ(run.statuses().count("Cannot empty Brindle.in: its entries are left in it"), 2);
}

TEST(BrindleMainLoop, AnAcceptanceBrindleOutRefusesIsRecordedAfterTheNextOne) {
    BrindleRun run;
    const QStringList queued = entries(3);
    run.queue(queued);
    ASSERT_TRUE(refuseAppends(run.inst, kAccepted));
    run.smsc.beforeEachWrite = [&] {
        if (run.smsc.accepted.size() == 1)
            run.inst.remove(kAccepted);
    };
    run.start();
    run.runToEnd();
    EXPECT_EQ(run.brindle->endedAs(), "COMPLETE");
    EXPECT_EQ(run.file(kAccepted), lines(queued));
    EXPECT_EQ(run.smsc.accepted.size(), 3);
    EXPECT_EQ(run.file(kJournal), QByteArray());
    EXPECT_EQ(run.statuses().filter("Cannot write Brindle.out").join('|'),
              "Cannot write Brindle.out, kept for later : " + queued[0]);
}

TEST(BrindleMainLoop, AcceptancesStillOwedAtTheEndStayInTheJournalForTheNextRun) {
    BrindleRun run;
    const QStringList queued = entries(2);
    run.queue(queued);
    ASSERT_TRUE(refuseAppends(run.inst, kAccepted));
    run.start();
    run.runToEnd();
    EXPECT_EQ(run.brindle->endedAs(), "COMPLETE");
    EXPECT_EQ(run.file(kJournal), "\r\n" + lines(queued));
    const QStringList owed = run.statuses().filter("kept in Brindle.tkn");
    EXPECT_EQ(owed, (QStringList{"Cannot write Brindle.out, kept in Brindle.tkn : " + queued[0],
                                 "Cannot write Brindle.out, kept in Brindle.tkn : " + queued[1]}));

    // The next run records them, in order, without sending them again.
    run.inst.remove(kAccepted);
    run.queue({"[3] d +443 three"});
    run.start();
    run.runToEnd();
    EXPECT_EQ(run.brindle->endedAs(), "COMPLETE");
    EXPECT_EQ(run.file(kAccepted), lines(queued + QStringList{"[3] d +443 three"}));
    EXPECT_EQ(run.smsc.accepted.size(), 3);
    EXPECT_EQ(run.file(kJournal), QByteArray());
}

TEST(BrindleMainLoop, AnOwedAcceptanceIsNeitherCarriedOverNorLostOnACrash) {
    BrindleRun run;
    const QStringList queued = entries(2);
    run.queue(queued);
    run.setConfigLine(22, "1");
    run.smsc.answer = ScriptedSmsc::Answer::NoCrsAfter; // accepted, then the line is lost
    ASSERT_TRUE(refuseAppends(run.inst, kAccepted));
    run.start();
    run.runToEnd();
    EXPECT_EQ(run.brindle->endedAs(), "CRASH");
    EXPECT_EQ(run.file(kCarryOver), "\r\n" + lines({queued[1]}));
    EXPECT_EQ(run.file(kJournal), "\r\n" + lines({queued[0]}));
}

TEST(BrindleMainLoop, TheAnswerIsLoggedBeforeTheEntryIsRecorded) {
    BrindleRun run;
    const QStringList queued = entries(3);
    run.queue(queued);
    run.start();
    // Brindle.out as each answer line reaches the log.
    QList<QByteArray> recordedAtAnswer;
    QObject::connect(run.brindle.get(), &BrindleController::statusChanged,
                     [&](const QString& pane) {
                         if (pane.endsWith("\r\nMessage sent successful\r\n"))
                             recordedAtAnswer << run.file(kAccepted);
                     });
    run.runToEnd();
    EXPECT_EQ(run.brindle->endedAs(), "COMPLETE");
    EXPECT_EQ(recordedAtAnswer,
              (QList<QByteArray>{QByteArray(), lines(queued.mid(0, 1)), lines(queued.mid(0, 2))}));
    EXPECT_EQ(run.file(kAccepted), lines(queued));
}

TEST(BrindleMainLoop, ExitDuringAWaitWritesNoStatusAfterIt) {
    struct Case {
        const char* name;
        std::function<void(ScriptedSmsc&)> setUp;
        int queued;
        QString clickAfter; // the first wait after this status line
        int occurrence;
        QList<int> carried; // the entries carried over, 1-based
    };
    const auto none = [](ScriptedSmsc&) {};
    const Case cases[] = {
        {"reset", [](ScriptedSmsc& s) { s.silentModem = true; }, 2, "Resetting modem", 1, {1, 2}},
        {"dial", none, 2, "Dialling SMSC", 1, {1, 2}},
        {"log-on", [](ScriptedSmsc& s) { s.noIdPrompt = true; }, 2, "Logging In", 1, {1, 2}},
        {"renewal", none, 5, "Logged Out", 1, {5}},
        {"failed cycle",
         [](ScriptedSmsc& s) { s.rejectEvery = 1; },
         2,
         "Message send failed",
         1,
         {2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BrindleRun run;
        c.setUp(run.smsc);
        const QStringList queued = entries(c.queued);
        run.queue(queued);
        run.start();
        int seen = 0;
        bool armed = false;
        qsizetype linesAtClick = -1;
        QObject::connect(
            run.brindle.get(), &BrindleController::statusChanged, [&](const QString& pane) {
                if (pane.endsWith("\r\n" + c.clickAfter + "\r\n") && ++seen == c.occurrence)
                    armed = true;
            });
        run.duringWait = [&] {
            if (armed && linesAtClick < 0) {
                linesAtClick = run.statuses().size();
                run.brindle->bExit_Click();
            }
        };
        run.runToEnd();
        ASSERT_GE(linesAtClick, 0);
        EXPECT_EQ(run.brindle->endedAs(), "EXIT");
        EXPECT_EQ(run.statuses().mid(linesAtClick), QStringList());
        QStringList carried;
        for (int i : c.carried)
            carried << queued[i - 1];
        EXPECT_EQ(run.file(kCarryOver), "\r\n" + lines(carried));
        EXPECT_EQ(run.file(kStateFile), QByteArray("INUSE\r\n"));
    }
}

TEST(BrindleMainLoop, ExitAfterTheAnswerRecordsTheAcceptanceAndCarriesOnlyTheRestOver) {
    BrindleRun run;
    const QStringList queued = entries(3);
    run.queue(queued);
    run.start();
    // Exit in the pause that follows the first "successful".
    bool clicked = false;
    run.duringWait = [&] {
        if (!clicked && run.statuses().contains("Message Accepted")) {
            clicked = true;
            run.brindle->bExit_Click();
            EXPECT_FALSE(run.brindle->hasEnded()); // the cycle unwinds first
        }
    };
    run.runToEnd();
    ASSERT_TRUE(clicked);
    EXPECT_EQ(run.brindle->endedAs(), "EXIT");
    EXPECT_EQ(run.file(kAccepted), lines(queued.mid(0, 1)));
    EXPECT_EQ(run.file(kCarryOver), "\r\n" + lines(queued.mid(1)));
    EXPECT_EQ(run.file(kJournal), QByteArray());
    EXPECT_EQ(run.file(kStateFile), QByteArray("INUSE\r\n"));
    EXPECT_EQ(run.brindle->sentQueue(), queued.mid(0, 1));
    EXPECT_EQ(run.smsc.blocks, 1);
    EXPECT_FALSE(run.line.isOpen());
}
