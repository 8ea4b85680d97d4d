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
#include <thread>
#include <unistd.h>

using namespace ExchangeFiles;

TEST(ExchangeFiles, AppendGoesAfterThePlaceholderLine) {
    TestInstallation inst;
    ASSERT_TRUE(appendToInbox(inst.appPath(), {"[1] a +44 x", "[2] b +44 y"}));
    EXPECT_EQ(inst.bytes(kInbox), QByteArray("\r\n[1] a +44 x\r\n[2] b +44 y\r\n"));
}

TEST(ExchangeFiles, AMissingInboxIsCreatedWithItsPlaceholderFirst) {
    TestInstallation inst;
    inst.remove(kInbox);
    ASSERT_TRUE(appendToInbox(inst.appPath(), {"[1] a +44 x"}));
    EXPECT_EQ(inst.bytes(kInbox), QByteArray("\r\n[1] a +44 x\r\n"));
    // An existing file is never truncated by the exclusive create.
    EXPECT_TRUE(ensureOneEmptyLineFile(inst.file(kInbox)));
    EXPECT_EQ(inst.bytes(kInbox), QByteArray("\r\n[1] a +44 x\r\n"));
}

TEST(ExchangeFiles, TheAppendWaitsForTheLockHolder) {
    TestInstallation inst;
    const QByteArray lockPath = QFile::encodeName(inst.file(kLock));
    QDir().mkpath(QFileInfo(inst.file(kLock)).absolutePath());
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    std::atomic<bool> done{false};
    std::thread appender([&] {
        appendToInbox(inst.appPath(), {"[7] t +44 z"});
        done = true;
    });
    // The lock holder empties the inbox; the append must land after that.
    EXPECT_FALSE(done.load());
    ASSERT_TRUE(LineFile::makeOneEmptyLine(inst.file(kInbox)));
    ::flock(fd, LOCK_UN);
    ::close(fd);
    appender.join();
    EXPECT_EQ(inst.bytes(kInbox), QByteArray("\r\n[7] t +44 z\r\n"));
}

TEST(ExchangeFiles, StateWordIsOneLine) {
    TestInstallation inst;
    ASSERT_TRUE(writeStateWord(inst.appPath(), kRequested));
    EXPECT_EQ(inst.bytes(kStateFile), QByteArray("CEL\r\n"));
    inst.writeBytes(kStateFile, "START\r\nINUSE\r\n");
    EXPECT_EQ(readStateWord(inst.appPath()), "INUSE");
}
