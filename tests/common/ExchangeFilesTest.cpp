#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

using namespace ExchangeFiles;

// Missing, or empty as an emptying cut short between truncate and write
// leaves it, the inbox gets its placeholder line first.
TEST(ExchangeFiles, AppendGoesAfterThePlaceholderLine) {
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
}

namespace {

// Whether /proc/locks shows someone waiting for a flock on the file `st` describes.
bool flockWaiterOn(const struct stat& st) {
    QFile locks("/proc/locks");
    if (!locks.open(QIODevice::ReadOnly))
        return false;
    const QByteArray file = QString::asprintf(" %02x:%02x:%llu ", major(st.st_dev),
                                              minor(st.st_dev), qulonglong(st.st_ino))
                                .toLatin1();
    for (const QByteArray& line : locks.readAll().split('\n'))
        if (line.contains("-> FLOCK") && line.contains(file))
            return true;
    return false;
}

} // namespace

TEST(ExchangeFiles, TheAppendWaitsForTheLockHolder) {
    if (!QFile::exists("/proc/locks"))
        GTEST_SKIP() << "no /proc/locks to see the waiting append";
    TestInstallation inst;
    const QByteArray lockPath = QFile::encodeName(inst.file(kLock));
    QDir().mkpath(QFileInfo(inst.file(kLock)).absolutePath());
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    struct stat st {};
    ASSERT_EQ(::fstat(fd, &st), 0);
    const QByteArray before("\r\n[1] a +44 x\r\n");
    inst.writeBytes(kInbox, before);

    std::atomic<bool> done{false};
    std::thread appender([&] {
        appendToInbox(inst.appPath(), {"[7] t +44 z"});
        done = true;
    });
    // Until the append is either queued behind our lock or finished.
    while (!done.load() && !flockWaiterOn(st))
        std::this_thread::yield();
    const bool finishedUnderOurLock = done.load();
    const QByteArray whileHeld = inst.bytes(kInbox);
    // The lock holder takes the inbox's entries; the append must land after that.
    ASSERT_TRUE(LineFile::makeOneEmptyLine(inst.file(kInbox)));
    ::flock(fd, LOCK_UN);
    ::close(fd);
    appender.join();
    EXPECT_FALSE(finishedUnderOurLock);
    EXPECT_EQ(whileHeld, before);
    EXPECT_EQ(inst.bytes(kInbox), QByteArray("\r\n[7] t +44 z\r\n"));
}

TEST(ExchangeFiles, StateWordIsOneLine) {
    TestInstallation inst;
    ASSERT_TRUE(writeStateWord(inst.appPath(), kRequested));
    EXPECT_EQ(inst.bytes(kStateFile), QByteArray("CEL\r\n"));
    inst.writeBytes(kStateFile, "START\r\nINUSE\r\n");
    EXPECT_EQ(readStateWord(inst.appPath()), "INUSE");
}
