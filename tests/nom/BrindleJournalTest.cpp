#include "BrindleRun.h"
#include "QtPrinters.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"

#include <QSet>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ExchangeFiles;

namespace {

const QStringList kEntries = {"[1] d +441111 one",  "[2] d +442222 two",  "[3] d +443333 three",
                              "[4] d +444444 four", "[5] d +445555 five", "[6] d +446666 six"};

// Runs Brindle in a child process that is killed at its `killAt`-th write to
// the line, as a process is killed: no destructor, no clean-up.
void runAndKill(BrindleRun& run, int killAt) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        run.smsc.beforeEachWrite = [&] {
            if (run.line.writes().size() + 1 >= killAt)
                ::kill(::getpid(), SIGKILL);
        };
        run.start();
        run.runToEnd();
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "killed at " << killAt;
}

} // namespace

TEST(BrindleJournal, AKilledBrindleLosesNothingWhereverItDies) {
    int writesOfACleanRun = 0;
    {
        BrindleRun clean;
        clean.queue(kEntries);
        clean.start();
        clean.runToEnd();
        ASSERT_EQ(clean.brindle->endedAs(), "COMPLETE");
        writesOfACleanRun = int(clean.line.writes().size());
    }
    ASSERT_GT(writesOfACleanRun, 15);
    for (int killAt = 1; killAt < writesOfACleanRun; ++killAt) {
        SCOPED_TRACE(killAt);
        BrindleRun run;
        run.queue(kEntries);
        runAndKill(run, killAt);
        // The client appends more while no Brindle runs.
        appendToInbox(run.inst.appPath(), {"[7] d +447777 seven"});

        run.start();
        run.runToEnd();
        ASSERT_EQ(run.brindle->endedAs(), "COMPLETE");
        const QStringList out = LineFile::readAll(run.inst.file(kAccepted));
        const QStringList all = kEntries + QStringList{"[7] d +447777 seven"};
        EXPECT_EQ(QSet<QString>(out.begin(), out.end()), QSet<QString>(all.begin(), all.end()));
        // Only the entry in flight when it died may go twice.
        EXPECT_LE(out.size(), all.size() + 1);
        EXPECT_EQ(run.file(kJournal), QByteArray());
        EXPECT_EQ(run.file(kInbox), QByteArray("\r\n"));
    }
}

// The journal is read at start: an exit before the first tick carries its
// entries over and records what it still owes. An entry the killed run had
// not yet emptied from the inbox stays there.
TEST(BrindleJournal, ExitBeforeTheFirstTickKeepsAKilledRunsEntries) {
    BrindleRun run;
    run.queue({"[3] i +443 inbox"});
    run.inst.writeBytes(kJournal, "[1] j +441 taken\r\n[3] i +443 inbox\r\n"
                                  "\r\n[2] j +442 accepted\r\n");
    run.start();
    run.brindle->bExit_Click();
    EXPECT_EQ(run.brindle->endedAs(), "EXIT");
    EXPECT_EQ(run.file(kCarryOver), QByteArray("[1] j +441 taken\r\n"));
    EXPECT_EQ(run.file(kAccepted), QByteArray("[2] j +442 accepted\r\n"));
    EXPECT_EQ(run.file(kInbox), QByteArray("\r\n[3] i +443 inbox\r\n"));
    EXPECT_EQ(run.file(kJournal), QByteArray());
}
