#include "handover/LineHandOver.h"
#include "common/ExchangeFiles.h"
#include "common/FileLocks.h"
#include "common/LineFile.h"
#include "support/FakeClock.h"
#include "support/FakeLauncher.h"
#include "support/QtPrinters.h"
#include "support/TestInstallation.h"

#include <QFile>
#include <gtest/gtest.h>
#include <memory>

using namespace ExchangeFiles;

namespace {

struct LineHandOverTest : ::testing::Test {
    TestInstallation inst;
    FakeClock clock;
    FakeLauncher launcher;
    LineHandOver line{inst.appPath(), launcher};
};

QSet<QString> keys(std::initializer_list<QString> list) {
    return QSet<QString>(list);
}

} // namespace

// Keys are only what an entry line starts with: never an id or marker inside
// a text, nor the inbox's placeholder line, nor the half of a key a writer
// has not finished; a half-written acceptance counts once its line is whole.
TEST_F(LineHandOverTest, LookFindsEachEntryByTheKeyItsLineStartsWith) {
    inst.remove(kInbox);
    const QString entry = LineHandOver::entry(12, QDateTime(QDate(2026, 12, 5), QTime(9, 5, 7)),
                                              "+447700900123", "see [13] Accepted:: #");
    EXPECT_EQ(entry, "[12] 05/12/2026 09:05:07 +447700900123 see [13] Accepted:: #");
    EXPECT_EQ(LineHandOver::key(entry), "[12]");
    ASSERT_TRUE(line.append({entry}));
    inst.writeBytes(kInbox, "[9] on the placeholder line\r\n" + inst.bytes(kInbox) + "[1");
    inst.writeBytes(kCarryOver, "[20] x [21]\n[22] y\r[2");
    inst.writeBytes(kJournal, "[30] z\r\n#owed to Brindle.out\r\n[31] Accepted::[32]\r\n");
    inst.writeBytes(kAccepted, "[40] a [41]\r\n[42] 05/12/20");

    LineHandOver::Seen seen = line.look();
    EXPECT_EQ(seen.queued, keys({"[12]", "[30]", "[31]"}));
    EXPECT_EQ(seen.carried, keys({"[20]", "[22]"}));
    EXPECT_EQ(seen.accepted, keys({"[40]"}));

    QFile out(inst.file(kAccepted));
    ASSERT_TRUE(out.open(QIODevice::Append));
    out.write("26 [43]\r\n");
    out.close();
    seen = line.look();
    EXPECT_EQ(seen.accepted, keys({"[40]", "[42]"}));
}

// Only the named entries go; every other line keeps its bytes, line ends
// included, and a file left with none is Brindle's emptied one. Without the
// start lock, with a run going, or on a disk that refuses the write, the
// file stays as it was.
TEST_F(LineHandOverTest, RemoveCarriedTakesOutTheNamedEntriesOnly) {
    const QByteArray carried = "[1] a\r\n[2] b [1]\n[3] c\r\n\r\n[4] d";
    inst.writeBytes(kCarryOver, carried);
    EXPECT_FALSE(line.removeCarried({"[1]"}));
    EXPECT_EQ(inst.bytes(kCarryOver), carried);
    {
        const auto start = line.lockStart();
        ASSERT_TRUE(start.held());
        {
            const FileLocks::RunLock run(inst.appPath());
            ASSERT_TRUE(run.held());
            EXPECT_FALSE(line.removeCarried({"[1]"}));
        }
        for (const qint64 room : {0, 3}) {
            LineFile::failWritesAfterForTests(room);
            const bool removed = line.removeCarried({"[1]"});
            LineFile::failWritesAfterForTests(-1);
            EXPECT_FALSE(removed);
            EXPECT_EQ(inst.bytes(kCarryOver), carried);
        }
        EXPECT_TRUE(line.removeCarried({"[1]", "[3]", "[5]"}));
        EXPECT_EQ(inst.bytes(kCarryOver), QByteArray("[2] b [1]\n\r\n[4] d"));
        EXPECT_TRUE(line.removeCarried({"[2]", "[4]"}));
        EXPECT_EQ(inst.bytes(kCarryOver), QByteArray("\r\n"));
    }
    EXPECT_EQ(line.look().carried, QSet<QString>());
}

// The gateway holds the start lock while it appends and starts: the start
// must not wait for that lock again.
TEST_F(LineHandOverTest, AStartUnderTheCallersStartLockStartsOneRun) {
    std::unique_ptr<FileLocks::RunLock> run;
    launcher.onStart = [&] { run = std::make_unique<FileLocks::RunLock>(inst.appPath()); };
    const auto start = line.lockStart();
    ASSERT_TRUE(start.held());
    QString problem;
    EXPECT_EQ(line.startRunLocked(&problem), LineHandOver::Start::Running);
    EXPECT_EQ(line.startRunLocked(&problem), LineHandOver::Start::Running);
    EXPECT_EQ(launcher.starts.size(), 1);
    EXPECT_TRUE(line.running());
}

// Two lines on one installation (the service and quorvel-send) read the
// counter at every reservation, never a copy of it.
TEST_F(LineHandOverTest, TwoHandOversOnOneInstallationNeverShareAnId) {
    LineHandOver other(inst.appPath(), launcher);
    QSet<qint64> given;
    for (int i = 1; i <= 4; ++i)
        for (LineHandOver* l : {&line, &other}) {
            const auto first = l->reserveIds(i);
            ASSERT_TRUE(first);
            for (qint64 id = *first; id < *first + i; ++id)
                EXPECT_FALSE(given.contains(id)) << id;
            for (qint64 id = *first; id < *first + i; ++id)
                given.insert(id);
        }
    EXPECT_EQ(given.size(), 20);
}
