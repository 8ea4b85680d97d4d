#include "client/outbox/MessageIdCounter.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

// The stored counter's last line is the next id; a lost or unreadable one
// starts after the highest id anywhere in use.
TEST(MessageIdCounter, ReserveHandsOutTheStoredIdOrOneAfterTheHighestInUse) {
    struct Case {
        const char* where;
        QString file;
        QStringList lists;
        QByteArray counter;
        int first;
    } cases[] = {
        {"stored counter", ExchangeFiles::kAccepted, {}, "3\r\n  42  \r\n", 42},
        {"accepted file", ExchangeFiles::kAccepted, {}, "<missing>", 91},
        {"inbox", ExchangeFiles::kInbox, {}, "", 91},
        {"failed file", ExchangeFiles::kCarryOver, {}, "\r\n", 91},
        {"accepted list", "Config\\AccpMsgs.dat", {}, "7\r\n\r\n", 91},
        {"saved schedule", "Config\\ScdMsgs.rcv", {}, "abc\r\n", 91},
        {"outbox and queues", "", {"Processing::[90] a +1 x", "[5] b +1 y"}, "12x\r\n", 91},
        {"nothing in use starts at one", "", {}, "-5\r\n", 1},
        {"nothing in use, a huge counter", "", {}, "99999999999999999999\r\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        TestInstallation inst;
        if (c.counter == "<missing>")
            inst.remove("Config\\MsgID.dat");
        else
            inst.writeBytes("Config\\MsgID.dat", c.counter);
        if (!c.file.isEmpty())
            inst.writeBytes(c.file,
                            "\r\n[7] a +1 x\r\nAccepted::[ 90 ] 1/1/2027 +1 y\r\ngarbage\r\n");
        MessageIdCounter ids([&] { return inst.appPath(); }, [&] { return c.lists; });
        EXPECT_EQ(ids.reserve(4), c.first);
        EXPECT_EQ(ids.reserve(1), c.first + 4);
        EXPECT_EQ(ids.reserve(0), c.first + 5);
        EXPECT_EQ(inst.bytes("Config\\MsgID.dat"), QByteArray::number(c.first + 5) + "\r\n");
    }
}

// The client and quorvel-send are separate processes reserving from one file.
TEST(MessageIdCounter, TwoProcessesReservingAtOnceNeverGetTheSameId) {
    // In memory when possible: each reservation waits for the disk.
    QTemporaryDir shm(QDir("/dev/shm").exists() ? "/dev/shm/quorvel-ids-XXXXXX" : QString());
    const QString root = shm.path() + '/';
    LineFile::rewrite(root + "Config/MsgID.dat", {"1"});
    const auto reserveAll = [&root](const QString& out) {
        MessageIdCounter ids([&root] { return root; }, {});
        QStringList got;
        for (int i = 0; i < 1000; ++i)
            got << QString::number(ids.reserve(1).value_or(-1));
        return LineFile::rewrite(root + out, got);
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(reserveAll("theirs") ? 0 : 1);
    ASSERT_TRUE(reserveAll("mine"));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const QStringList all = LineFile::readAll(root + "mine") + LineFile::readAll(root + "theirs");
    const QSet<QString> distinct(all.begin(), all.end());
    EXPECT_EQ(distinct.size(), 2000) << "ids handed out twice";
    EXPECT_FALSE(distinct.contains("-1"));
}
