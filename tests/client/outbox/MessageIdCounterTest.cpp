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

namespace {

class MessageIdCounterTest : public ::testing::Test {
protected:
    MessageIdCounter counter() {
        return MessageIdCounter([this] { return inst.appPath(); }, [this] { return listed; });
    }
    TestInstallation inst;
    QStringList listed;
};

} // namespace

TEST_F(MessageIdCounterTest, ReserveHandsOutTheFileIdAndStoresTheNextFree) {
    inst.writeBytes("Config\\MsgID.dat", "3\r\n  42  \r\n");
    auto ids = counter();
    EXPECT_EQ(ids.reserve(4), 42);
    EXPECT_EQ(inst.bytes("Config\\MsgID.dat"), QByteArray("46\r\n"));
    EXPECT_EQ(ids.reserve(1), 46);
    EXPECT_EQ(ids.reserve(0), 47);
    EXPECT_EQ(inst.bytes("Config\\MsgID.dat"), QByteArray("47\r\n"));
}

// A lost or unreadable counter starts after the highest id anywhere in use.
TEST_F(MessageIdCounterTest, ALostCounterStartsAfterTheHighestIdInUseAnywhere) {
    struct Case {
        const char* where;
        QString file;
        QStringList lists;
        QByteArray counter;
    } cases[] = {
        {"accepted file", ExchangeFiles::kAccepted, {}, "<missing>"},
        {"inbox", ExchangeFiles::kInbox, {}, ""},
        {"failed file", ExchangeFiles::kCarryOver, {}, "\r\n"},
        {"accepted list", "Config\\AccpMsgs.dat", {}, "7\r\n\r\n"},
        {"saved schedule", "Config\\ScdMsgs.rcv", {}, "abc\r\n"},
        {"outbox and queues", "", {"Processing::[90] a +1 x", "[5] b +1 y"}, "12x\r\n"},
        {"nothing in use starts at one", "", {}, "-5\r\n"},
        {"nothing in use, a huge counter", "", {}, "99999999999999999999\r\n"},
    };
    for (const Case& c : cases) {
        TestInstallation fresh;
        if (c.counter == "<missing>")
            fresh.remove("Config\\MsgID.dat");
        else
            fresh.writeBytes("Config\\MsgID.dat", c.counter);
        if (!c.file.isEmpty())
            fresh.writeBytes(c.file,
                             "\r\n[7] a +1 x\r\nAccepted::[ 90 ] 1/1/2027 +1 y\r\ngarbage\r\n");
        MessageIdCounter ids([&] { return fresh.appPath(); }, [&] { return c.lists; });
        const int first = c.file.isEmpty() && c.lists.isEmpty() ? 1 : 91;
        EXPECT_EQ(ids.reserve(2), first) << c.where;
        EXPECT_EQ(fresh.bytes("Config\\MsgID.dat"), QByteArray::number(first + 2) + "\r\n");
    }
}

// The client and quorvel-send are separate processes reserving from one file.
TEST_F(MessageIdCounterTest, TwoProcessesReservingAtOnceNeverGetTheSameId) {
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
