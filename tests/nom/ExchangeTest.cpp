#include "QtPrinters.h"
#include "ReadOnlyFile.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "nom/QueueStore.h"
#include "nom/ReplaceFile.h"
#include "nom/StatusLog.h"
#include "support/FakeClock.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace ExchangeFiles;

TEST(QueueStore, InboxLineOneAndBlankLinesAreNeverQueued) {
    TestInstallation inst;
    inst.writeBytes(kInbox, "[0] placeholder +44 x\r\n[1] a +441 one\r\n   \r\n\r\n"
                            "[2] b +442 two \r\n");
    QueueStore store(inst.appPath());
    const auto in = store.take({}, false);
    EXPECT_EQ(in.entries, (QStringList{"[1] a +441 one", "[2] b +442 two "}));
    EXPECT_EQ(in.skippedFirstLines, QStringList{"[0] placeholder +44 x"});
    EXPECT_EQ(inst.bytes(kInbox), QByteArray("\r\n"));
    EXPECT_EQ(inst.bytes(kJournal), QByteArray("[1] a +441 one\r\n[2] b +442 two \r\n"));
}

TEST(QueueStore, CarryOverComesFirstAndIsEmptied) {
    TestInstallation inst;
    inst.writeBytes(kCarryOver, "[5] r +445 old\r\n\r\n");
    inst.writeBytes(kInbox, "\r\n[6] i +446 new\r\n");
    QueueStore store(inst.appPath());
    const auto in = store.take({}, true);
    EXPECT_EQ(in.entries, (QStringList{"[5] r +445 old", "[6] i +446 new"}));
    EXPECT_EQ(inst.bytes(kCarryOver), QByteArray("\r\n"));
    EXPECT_EQ(inst.bytes(kInbox), QByteArray("\r\n"));
}

TEST(QueueStore, MalformedLinesAreReportedNotQueued) {
    TestInstallation inst;
    inst.writeBytes(kInbox, "\r\n[1] no number\r\n[2] d +44\r\n[3] d +44 ok\r\n");
    QueueStore store(inst.appPath());
    const auto in = store.take({}, false);
    EXPECT_EQ(in.entries, QStringList{"[3] d +44 ok"});
    EXPECT_EQ(in.malformed, (QStringList{"[1] no number", "[2] d +44"}));
}

TEST(QueueStore, MissingFilesAreCreatedWithTheirEmptyLine) {
    TestInstallation inst;
    inst.remove(kInbox);
    inst.remove(kCarryOver);
    QueueStore store(inst.appPath());
    EXPECT_TRUE(store.take({}, true).entries.isEmpty());
    EXPECT_EQ(inst.bytes(kInbox), QByteArray("\r\n"));
    EXPECT_EQ(inst.bytes(kCarryOver), QByteArray("\r\n"));
}

TEST(QueueStore, JournalIsReadFirstAndOnlyOncePerRun) {
    TestInstallation inst;
    inst.writeBytes(kJournal, "[1] j +441 taken\r\n");
    inst.writeBytes(kCarryOver, "[2] r +442 carried\r\n");
    inst.writeBytes(kInbox, "\r\n[3] i +443 new\r\n");
    QueueStore store(inst.appPath());
    auto in = store.take({}, true);
    EXPECT_EQ(in.entries,
              (QStringList{"[1] j +441 taken", "[2] r +442 carried", "[3] i +443 new"}));
    EXPECT_EQ(inst.bytes(kJournal), QByteArray("[1] j +441 taken\r\n[2] r +442 carried\r\n"
                                               "[3] i +443 new\r\n"));
    in = store.take(in.entries, true);
    EXPECT_TRUE(in.entries.isEmpty());
}

TEST(QueueStore, EntriesLeftInBothJournalAndInboxByADeathAreTakenOnce) {
    TestInstallation inst;
    inst.writeBytes(kJournal, "[1] a +441 x\r\n[2] b +442 y\r\n");
    inst.writeBytes(kCarryOver, "[1] a +441 x\r\n");
    inst.writeBytes(kInbox, "\r\n[2] b +442 y\r\n[3] c +443 z\r\n");
    QueueStore store(inst.appPath());
    EXPECT_EQ(store.take({}, true).entries,
              (QStringList{"[1] a +441 x", "[2] b +442 y", "[3] c +443 z"}));
}

TEST(QueueStore, NothingIsTakenWhenTheJournalCannotBeWritten) {
    TestInstallation inst;
    inst.writeBytes(kInbox, "\r\n[1] a +441 x\r\n");
    QDir().mkpath(inst.file(kJournal)); // a folder where the file should be
    QueueStore store(inst.appPath());
    const auto in = store.take({}, false);
    EXPECT_FALSE(in.ok);
    EXPECT_TRUE(in.entries.isEmpty());
    EXPECT_EQ(inst.bytes(kInbox), QByteArray("\r\n[1] a +441 x\r\n"));
}

TEST(QueueStore, AnInboxThatCannotBeEmptiedKeepsItsEntriesUntilItCan) {
    TestInstallation inst;
    inst.writeBytes(kCarryOver, "[5] r +445 old\r\n");
    const QByteArray inbox = "\r\n[1] a +441 x\r\n[2] b +442 y\r\n";
    inst.writeBytes(kInbox, inbox);
    QueueStore store(inst.appPath());
    ReadOnlyFile locked(inst.file(kInbox));
    ASSERT_TRUE(locked.holds());
    QueueStore::Intake in = store.take({}, true);
    EXPECT_TRUE(in.ok);
    EXPECT_EQ(in.entries, QStringList{"[5] r +445 old"});
    EXPECT_EQ(in.notEmptied, QStringList{kInbox});
    EXPECT_EQ(inst.bytes(kInbox), inbox);
    EXPECT_EQ(inst.bytes(kCarryOver), QByteArray("\r\n"));
    EXPECT_EQ(inst.bytes(kJournal), QByteArray("[5] r +445 old\r\n"));
    // Every later intake finds the same lines and takes none of them.
    for (int cycle = 0; cycle < 3; ++cycle) {
        in = store.take({"[5] r +445 old"}, false);
        EXPECT_TRUE(in.entries.isEmpty());
        EXPECT_EQ(in.notEmptied, QStringList{kInbox});
        EXPECT_EQ(inst.bytes(kJournal), QByteArray("[5] r +445 old\r\n"));
    }
    locked.release();
    in = store.take({"[5] r +445 old"}, false);
    EXPECT_EQ(in.entries, (QStringList{"[1] a +441 x", "[2] b +442 y"}));
    EXPECT_TRUE(in.notEmptied.isEmpty());
    EXPECT_EQ(inst.bytes(kInbox), QByteArray("\r\n"));
    EXPECT_EQ(inst.bytes(kJournal),
              QByteArray("[5] r +445 old\r\n[1] a +441 x\r\n[2] b +442 y\r\n"));
}

TEST(QueueStore, AJournalCopyOfALineStuckInItsFileStaysWithIt) {
    TestInstallation inst;
    inst.writeBytes(kJournal, "[1] a +441 x\r\n[9] j +449 only here\r\n");
    inst.writeBytes(kCarryOver, "[1] a +441 x\r\n");
    QueueStore store(inst.appPath());
    ReadOnlyFile locked(inst.file(kCarryOver));
    ASSERT_TRUE(locked.holds());
    QueueStore::Intake in = store.take({}, true);
    EXPECT_EQ(in.entries, QStringList{"[9] j +449 only here"});
    EXPECT_EQ(in.notEmptied, QStringList{kCarryOver});
    EXPECT_EQ(inst.bytes(kJournal), QByteArray("[9] j +449 only here\r\n"));
    locked.release();
    in = store.take(in.entries, true);
    EXPECT_EQ(in.entries, QStringList{"[1] a +441 x"});
    EXPECT_EQ(inst.bytes(kCarryOver), QByteArray("\r\n"));
}

TEST(QueueStore, CarryOverAppendsThenEmptiesTheJournal) {
    TestInstallation inst;
    inst.writeBytes(kCarryOver, "[0] z +440 earlier\r\n");
    QueueStore store(inst.appPath());
    store.saveJournal({"[1] a +441 x", "", "[2] b +442 y"});
    ASSERT_TRUE(store.carryOver({"[1] a +441 x", "", "[2] b +442 y"}));
    EXPECT_EQ(inst.bytes(kCarryOver),
              QByteArray("[0] z +440 earlier\r\n[1] a +441 x\r\n[2] b +442 y\r\n"));
    EXPECT_EQ(inst.bytes(kJournal), QByteArray());
}

TEST(QueueStore, AcceptedEntriesAreAppendedUnchanged) {
    TestInstallation inst;
    QueueStore store(inst.appPath());
    store.recordAccepted("[1] a +441 x  ");
    store.recordAccepted(QString::fromUtf8("[2] b +442 \u00a35"));
    EXPECT_EQ(inst.bytes(kAccepted), QByteArray("[1] a +441 x  \r\n[2] b +442 \xa3"
                                                "5\r\n"));
}

TEST(QueueStore, OwedAcceptancesFollowTheQueueInTheJournalAndAreReadBack) {
    TestInstallation inst;
    inst.remove(kAccepted);
    ASSERT_TRUE(QDir().mkpath(inst.file(kAccepted)));
    {
        QueueStore store(inst.appPath());
        EXPECT_FALSE(store.recordAccepted("[1] a +441 x"));
        EXPECT_FALSE(store.recordAccepted("[2] b +442 y"));
        EXPECT_EQ(store.owedAccepted(), (QStringList{"[1] a +441 x", "[2] b +442 y"}));
        ASSERT_TRUE(store.saveJournal({"[3] c +443 z"}));
        EXPECT_EQ(inst.bytes(kJournal),
                  QByteArray("[3] c +443 z\r\n\r\n[1] a +441 x\r\n[2] b +442 y\r\n"));
    }
    QDir(inst.file(kAccepted)).removeRecursively();
    QueueStore next(inst.appPath());
    const QueueStore::Intake in = next.take({}, true);
    EXPECT_EQ(in.entries, QStringList{"[3] c +443 z"});
    EXPECT_EQ(next.owedAccepted(), (QStringList{"[1] a +441 x", "[2] b +442 y"}));
    EXPECT_TRUE(next.recordAccepted("[3] c +443 z"));
    EXPECT_EQ(inst.bytes(kAccepted),
              QByteArray("[1] a +441 x\r\n[2] b +442 y\r\n[3] c +443 z\r\n"));
    EXPECT_TRUE(next.owedAccepted().isEmpty());
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
    EXPECT_EQ(log.paneText(), "Dialling SMSC\r\n\r\n");
}

TEST(StatusLog, PaneKeepsTheLast16000Characters) {
    FakeClock clock;
    StatusLog log;
    QString shown;
    log.onPaneChanged([&](const QString& p) { shown = p; });
    const QString line(98, 'a');
    for (int i = 0; i < 200; ++i)
        log.DisplayStatus(line + QString::number(i % 10));
    EXPECT_EQ(shown.size(), 16000);
    EXPECT_TRUE(shown.endsWith(line + "9\r\n"));
    EXPECT_EQ(shown, log.paneText());
}

TEST(ReplacedFiles, KeepTheModeOfTheFileTheyReplace) {
    TestInstallation inst;
    const mode_t oldMask = ::umask(022);
    const auto mode = [&](const QString& relative) {
        struct stat st {};
        ::stat(QFile::encodeName(inst.file(relative)).constData(), &st);
        return st.st_mode & 07777;
    };
    const std::function<bool(const QString&)> writers[] = {
        [](const QString& p) { return LineFile::rewrite(p, {"x"}, true); },
        [](const QString& p) { return LineFile::rewrite(p, {"x"}, false); },
        [](const QString& p) { return ReplaceFile::write(p, {"x"}); },
    };
    for (int w = 0; w < 3; ++w) {
        inst.remove(kCurrentNom);
        ASSERT_TRUE(writers[w](inst.file(kCurrentNom)));
        EXPECT_EQ(mode(kCurrentNom), 0644u) << "new, writer " << w;
        for (const mode_t kept : {0640u, 0664u}) {
            ::chmod(QFile::encodeName(inst.file(kCurrentNom)).constData(), kept);
            ASSERT_TRUE(writers[w](inst.file(kCurrentNom)));
            EXPECT_EQ(mode(kCurrentNom), kept) << "writer " << w;
            EXPECT_EQ(inst.bytes(kCurrentNom), QByteArray("x\r\n"));
        }
    }
    ::umask(oldMask);
}
