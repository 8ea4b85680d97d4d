// Brindle's files: what a run takes from them and leaves, its logs, and the
// files it replaces.
#include "nom/QueueStore.h"
#include "ReadOnlyFile.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "nom/StatusLog.h"
#include "support/FakeClock.h"
#include "support/TestInstallation.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace ExchangeFiles;

// What one intake takes from the journal a killed run left, the carry-over
// file and the inbox ("-": no file): each entry once, in that order, and what
// the journal says Brindle.out is owed; what it took goes to the journal,
// and the files it read are left empty. Journal lines get the inbox's checks,
// and only the owed marker (not an empty line at its start) makes an owed part.
TEST(QueueStore, IntakeTakesEachEntryOnceAndEmptiesWhatItTook) {
    const QByteArray huge = "[8] h +448 " + QByteArray(2000000, 'x');
    const std::tuple<QByteArray, QByteArray, QByteArray, QString> cases[] = {
        {"", "-", "[0] line one +44 x\r\n[1] a +441 one\r\n   \r\n\r\n[2] b +442 two \r\n",
         "[1] a +441 one|[2] b +442 two  left out: [0] line one +44 x owed: "},
        {"", "\r\n", "\r\n[1] no number\r\n[2] d +44\r\n[3] d +44 ok\r\n[4] d +44 \r\n",
         "[3] d +44 ok|[4] d +44  left out: [1] no number|[2] d +44 owed: "},
        {"", "[5] r +445 old\r\n\r\n",
         "\r\n[6] i +446 new\r\n[7] c +447 disk\x03"
         "full\r\n",
         "[5] r +445 old|[6] i +446 new left out: [7] c +447 disk^Cfull owed: "},
        {"[1] a +441 x\r\n[2] b +442 y\r\n", "[1] a +441 x\r\n[3] c +443 z\r\n", "-",
         "[1] a +441 x|[2] b +442 y|[3] c +443 z left out:  owed: "},
        {huge + "\r\n[1] a +441 x\r\n#owed to Brindle.out\r\n\x1b[2J +4 \r\n[2] b +442 y\r\n", "-",
         "-",
         "[1] a +441 x left out: " + QueueEntry::shown(huge) + "|^[[2J +4  owed: [2] b +442 y"},
        // An older run's journal: an empty line before what it owes.
        {"[1] a +441 x\r\n\r\n[2] b +442 y\r\n", "-", "-",
         "[1] a +441 x left out:  owed: [2] b +442 y"},
        {"\r\n[1] a +441 x\r\n[2] b +442 y\r\n", "-", "-",
         "[1] a +441 x|[2] b +442 y left out:  owed: "},
    };
    for (const auto& [journal, carried, inbox, expected] : cases) {
        SCOPED_TRACE(expected.left(80).toStdString());
        TestInstallation inst;
        for (const auto& [file, bytes] :
             {std::pair{kJournal, journal}, {kCarryOver, carried}, {kInbox, inbox}})
            bytes == "-" ? inst.remove(file) : inst.writeBytes(file, bytes);
        QueueStore store(inst.appPath());
        const QueueStore::Intake in = store.take({}, true);
        QStringList leftOut = in.skippedFirstLines;
        for (const QueueStore::Refused& r : in.refused)
            leftOut << QueueEntry::shown(r.line);
        const QStringList owed = store.owedAccepted();
        EXPECT_EQ(in.entries.join('|') + " left out: " + leftOut.join('|') +
                      " owed: " + owed.join('|'),
                  expected);
        const QStringList marked =
            owed.isEmpty() ? QStringList() : QStringList{QueueStore::kOwedMarker} + owed;
        EXPECT_EQ(inst.bytes(kJournal), lines(in.entries + marked));
        EXPECT_EQ(inst.bytes(kCarryOver), QByteArray("\r\n"));
        EXPECT_EQ(inst.bytes(kInbox), QByteArray("\r\n"));
        EXPECT_TRUE(store.take(in.entries, true).entries.isEmpty()) << "the journal only once";
    }
}

// Hostile inbox lines: the codes Windows-1252 leaves undefined are kept byte
// for byte, CRs alone end lines, a NUL (a control character) and a 10 MB line
// are refused whole.
TEST(QueueStore, HostileLinesAreKeptByteForByteOrRefusedWhole) {
    TestInstallation inst;
    const QByteArray nul("[1] a +441 n\0ul", 15);
    const QByteArray undefined = "[2] b +442 \x81\x8d\x8f\x90\x9d";
    const QByteArray big = "[4] d +444 " + QByteArray(10 << 20, 'x');
    inst.writeBytes(kInbox, "\r\n" + nul + "\r\n" + undefined + "\r\r\r[3] c +443 cr\r" + big);
    QueueStore store(inst.appPath());
    const QueueStore::Intake in = store.take({}, false);
    ASSERT_EQ(in.refused.size(), 2);
    EXPECT_EQ(in.refused[0].fault, QueueEntry::Fault::ControlCharacter);
    EXPECT_EQ(in.refused[1].fault, QueueEntry::Fault::OverLong);
    EXPECT_EQ(in.refused[1].line.size(), big.size());
    EXPECT_EQ(inst.bytes(kJournal), undefined + "\r\n[3] c +443 cr\r\n");
    EXPECT_EQ(inst.bytes(kInbox), QByteArray("\r\n"));
}

TEST(QueueStore, WhatCannotBeWrittenOrEmptiedStaysWhereItIs) {
    TestInstallation inst;
    inst.writeBytes(kInbox, "\r\n[1] a +441 x\r\n");
    QDir().mkpath(inst.file(kJournal)); // a folder where the file should be
    QueueStore broken(inst.appPath());
    EXPECT_FALSE(broken.take({}, false).ok);
    EXPECT_EQ(inst.bytes(kInbox), QByteArray("\r\n[1] a +441 x\r\n"));
    inst.remove(kJournal);

    // A journal copy of a line stuck in its file stays with the file.
    inst.writeBytes(kInbox, "\r\n");
    inst.writeBytes(kJournal, "[1] a +441 x\r\n[9] j +449 only here\r\n");
    inst.writeBytes(kCarryOver, "[1] a +441 x\r\n");
    QueueStore next(inst.appPath());
    ReadOnlyFile lockedCarry(inst.file(kCarryOver));
    ASSERT_TRUE(lockedCarry.holds());
    QueueStore::Intake in = next.take({}, true);
    EXPECT_EQ(in.entries, QStringList{"[9] j +449 only here"});
    EXPECT_EQ(inst.bytes(kJournal), QByteArray("[9] j +449 only here\r\n"));
    lockedCarry.release();
    EXPECT_EQ(next.take(in.entries, true).entries, QStringList{"[1] a +441 x"});
}

TEST(StatusLog, LinesAreTimeStampedAndTheLatestNonEmptyOneStands) {
    TestInstallation inst;
    FakeClock clock(QDateTime(QDate(2026, 12, 5), QTime(16, 21, 9)));
    StatusLog log;
    log.setMonitorLog(inst.file(kMonitorLog));
    log.setSmscLog(inst.file("NOMMon\\Logs\\SMSC.log"));
    log.DisplayStatus("Dialling SMSC");
    clock.advanceMs(61000);
    log.DisplayStatus("");
    EXPECT_EQ(inst.bytes("NOMMon\\Logs\\SMSC.log"),
              QByteArray("26-12-05 16:21:09 Dialling SMSC\r\n26-12-05 16:22:10 \r\n"));
    EXPECT_EQ(inst.bytes(kMonitorLog), QByteArray("26-12-05 16:21:09 Dialling SMSC\r\n"));
    EXPECT_EQ(log.paneText(), "Dialling SMSC\r\n\r\n"); // its limit: the window test
}

TEST(ReplacedFiles, KeepTheModeOfTheFileTheyReplaceAndLeaveNoTemporaryFile) {
    TestInstallation inst;
    const mode_t oldMask = ::umask(022);
    const auto mode = [&] {
        struct stat st {};
        ::stat(QFile::encodeName(inst.file(kCurrentNom)).constData(), &st);
        return st.st_mode & 07777;
    };
    const std::function<bool(const QString&)> writers[] = {
        [](const QString& p) { return LineFile::rewrite(p, {"x"}, true); },
        [](const QString& p) { return LineFile::rewrite(p, {"x"}, false); },
        [](const QString& p) { return LineFile::rewriteUnflushed(p, {"x"}); },
    };
    for (const auto& write : writers) {
        inst.remove(kCurrentNom);
        ASSERT_TRUE(write(inst.file(kCurrentNom)));
        EXPECT_EQ(mode(), 0644u);
        for (const mode_t kept : {0640u, 0664u}) {
            ::chmod(QFile::encodeName(inst.file(kCurrentNom)).constData(), kept);
            ASSERT_TRUE(write(inst.file(kCurrentNom)));
            EXPECT_EQ(mode(), kept);
            EXPECT_EQ(inst.bytes(kCurrentNom), QByteArray("x\r\n"));
        }
    }
    ::umask(oldMask);
    EXPECT_EQ(QFileInfo(inst.file(kCurrentNom))
                  .dir()
                  .entryList({"*CurNOM.dat*"}, QDir::Files | QDir::Hidden),
              QStringList{"CurNOM.dat"});
}
