#include "send/SendJob.h"
#include "support/FakeClock.h"
#include "support/FakeLauncher.h"
#include "support/QtPrinters.h"
#include "support/TestInstallation.h"

#include <QDirIterator>
#include <gtest/gtest.h>

namespace {

const QString kInbox = "NOM\\UK\\Cellnet\\Config\\Brindle.in";

class SendJobTest : public ::testing::Test {
protected:
    SendJobTest() { inst.writeBytes("Config\\Port.cfg", " 1 \r\n"); }
    int run(QStringList args, const QString& input = {}) {
        out.clear();
        err.clear();
        QString error;
        const auto o =
            SendOptions::parse(QStringList{"quorvel-send", "--root", inst.root()} + args, error);
        EXPECT_TRUE(o) << error.toStdString();
        SendJob job(
            launcher, [this](const QString& l) { out << l; },
            [this](const QString& l) { err << l; });
        return o ? job.run(*o, inst.root() + "/bin", [&] { return input; }) : -1;
    }
    // Every file of the installation with its bytes.
    QStringList tree() const {
        QStringList all;
        for (QDirIterator it(inst.root(), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString f = it.next();
            all << f + ' ' + inst.bytes(f.mid(inst.root().size() + 1)).toHex();
        }
        all.sort();
        return all;
    }

    TestInstallation inst;
    FakeClock clock;
    FakeLauncher launcher;
    QStringList out, err;
};

} // namespace

TEST_F(SendJobTest, TextTheWindowWouldRefuseIsRefusedWholeAndNothingIsQueued) {
    const QString emoji = QString::fromUtf8("\xF0\x9F\x94\xA5");
    struct Case {
        QString subject, message, error;
    } cases[] = {
        {"",
         "disk\x03"
         "full",
         "The message holds the control character U+0003, which Quorvel "
         "does not send."},
        {"", QString("a") + QChar(0) + "b",
         "The message holds the control character U+0000, which Quorvel does not send."},
        {"", "tab\there",
         "The message holds the control character U+0009, which Quorvel does "
         "not send."},
        {"del\x7F", "x",
         "The subject holds the control character U+007F, which Quorvel does not "
         "send."},
        {"", "hot " + emoji + " room",
         "The message holds \"" + emoji +
             "\", which Quorvel does not send (ASCII characters and the pound sign only)."},
        {"", "Accepted:: #1 [12]",
         "The message holds \"#\", which Quorvel does not send (barred: # [ \\ ] ^ { | } ~)."},
        {QString(101, 'S'), "x", "Quorvel Subject length is 100 characters."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run({"-s", c.subject, "-m", c.message, "+447700900001"}), SendJob::Failed);
        EXPECT_EQ(err, QStringList{"quorvel-send: " + c.error}) << c.message.toStdString();
        EXPECT_EQ(out, QStringList{});
    }
    EXPECT_EQ(inst.bytes(kInbox), QByteArray("\r\n"));
    EXPECT_EQ(run({"-s", QString(100, 'S'), "-m", "x", "+447700900001"}), SendJob::Sent);
    EXPECT_TRUE(launcher.starts.size() == 1);
}

TEST_F(SendJobTest, ADryRunNeedsNoPortAndCreatesNothingAndQuietPrintsNothing) {
    inst.writeBytes("Config\\Port.cfg", "0\r\n");
    const QStringList before = tree();
    EXPECT_EQ(run({"--dry-run", "-m", "Backup done", "+447700900001"}), SendJob::Sent);
    ASSERT_EQ(out.size(), 1);
    EXPECT_TRUE(out[0].startsWith("[")) << out[0].toStdString();
    EXPECT_EQ(run({"-nq", "-m", "Backup done", "+447700900001"}), SendJob::Sent);
    EXPECT_EQ(out + err, QStringList{});
    EXPECT_EQ(tree(), before);
    EXPECT_TRUE(launcher.starts.isEmpty());

    inst.writeBytes("Config\\Port.cfg", "1\r\n");
    EXPECT_EQ(run({"-q", "-m", "Backup done", "+447700900001"}), SendJob::Sent);
    EXPECT_EQ(out + err, QStringList{});
    EXPECT_EQ(launcher.starts.size(), 1);
}

// A Brindle that ends without taking its run lock (no display, a missing
// library): said, exit 5, with or without --wait; its entries stay queued.
TEST_F(SendJobTest, ABrindleThatCannotStartIsReportedAndItsEntriesStayQueued) {
    launcher.endsAtOnce = true;
    launcher.words = "qt.qpa.xcb: could not connect to display :99";
    const QString said = "quorvel-send: Brindle could not start: qt.qpa.xcb: could not connect to "
                         "display :99; the entries stay in Brindle.in for the next run";
    EXPECT_EQ(run({"-m", "one", "+447700900001"}), SendJob::CouldNotStart);
    EXPECT_EQ(err, QStringList{said});
    EXPECT_EQ(run({"--wait", "-m", "two", "+447700900002"}), SendJob::CouldNotStart);
    EXPECT_EQ(err, QStringList{said});
    const QStringList queued = QString::fromLatin1(inst.bytes(kInbox)).split("\r\n");
    ASSERT_EQ(queued.size(), 4);
    EXPECT_TRUE(queued[1].contains(" one") && queued[2].contains(" two"));

    // A quick run that took the lock and ended leaves another state word.
    launcher.words.clear();
    launcher.onStart = [&] { inst.writeBytes("StartNOM.cfg", "COMPLETE\r\n"); };
    EXPECT_EQ(run({"-m", "three", "+447700900003"}), SendJob::Sent);
    EXPECT_EQ(err, QStringList{});
}
