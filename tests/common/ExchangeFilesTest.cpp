#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "support/TestInstallation.h"

#include <QFile>
#include <QRegularExpression>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>

using namespace ExchangeFiles;

// Missing, or empty as an emptying cut short between truncate and write
// leaves it, the inbox gets its placeholder line first. The state word is the last line.
TEST(ExchangeFiles, AppendGoesAfterThePlaceholderLineAndTheStateWordIsTheLastLine) {
    TestInstallation inst;
    const QByteArray appended("\r\n[1] a +44 x\r\n[2] b +44 y\r\n");
    for (const QByteArray& before : {QByteArray("\r\n"), QByteArray(), QByteArray("<missing>")}) {
        before == "<missing>" ? inst.remove(kInbox) : inst.writeBytes(kInbox, before);
        ASSERT_TRUE(appendToInbox(inst.appPath(), {"[1] a +44 x", "[2] b +44 y"}));
        EXPECT_EQ(inst.bytes(kInbox), appended) << before.toStdString();
    }
    // An existing file is never truncated by the exclusive create.
    EXPECT_TRUE(ensureOneEmptyLineFile(inst.file(kInbox)));
    EXPECT_EQ(inst.bytes(kInbox), appended);
    inst.writeBytes(kStateFile, "START\r\nINUSE\r\n");
    EXPECT_EQ(readStateWord(inst.appPath()), "INUSE");
}

TEST(ExchangeFiles, TheAppendWaitsForTheLockHolder) {
    if (!QFile::exists("/proc/locks"))
        GTEST_SKIP() << "no /proc/locks to see the waiting append";
    TestInstallation inst;
    const QByteArray before("\r\n[1] a +44 x\r\n");
    inst.writeBytes(kInbox, before);
    auto held = std::make_unique<InboxLock>(inst.appPath());
    ASSERT_TRUE(held->held());
    // A line of /proc/locks for someone waiting for a flock on the lock file.
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(inst.file(kLock)).constData(), &st), 0);
    const QRegularExpression waiter(QString::asprintf(
        "-> FLOCK .* %02x:%02x:%llu ", major(st.st_dev), minor(st.st_dev), qulonglong(st.st_ino)));
    const auto flockWaiter = [&] {
        QFile locks("/proc/locks");
        return locks.open(QIODevice::ReadOnly) && QString(locks.readAll()).contains(waiter);
    };

    std::atomic<bool> done{false};
    std::thread appender([&] {
        appendToInbox(inst.appPath(), {"[7] t +44 z"});
        done = true;
    });
    // Until the append is either queued behind our lock or finished.
    while (!done.load() && !flockWaiter())
        std::this_thread::yield();
    const bool finishedUnderOurLock = done.load();
    const QByteArray whileHeld = inst.bytes(kInbox);
    // The lock holder takes the inbox's entries; the append must land after that.
    ASSERT_TRUE(LineFile::makeOneEmptyLine(inst.file(kInbox)));
    held.reset();
    appender.join();
    EXPECT_FALSE(finishedUnderOurLock);
    EXPECT_EQ(whileHeld, before);
    EXPECT_EQ(inst.bytes(kInbox), QByteArray("\r\n[7] t +44 z\r\n"));
}
