// The client's side of the files it shares with Brindle and quorvel-send: the
// ids, the inbox and the accepted file.
#include "client/outbox/AcceptedIndex.h"
#include "client/outbox/EventPacer.h"
#include "client/outbox/MessageIdCounter.h"
#include "client/outbox/OperatorInbox.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "support/FakeClock.h"
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
        MessageIdCounter ids(inst.installation(), [&] { return c.lists; });
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
        const Installation installation = Installation::at(root);
        MessageIdCounter ids(installation, {});
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

TEST(OperatorInbox, OnlyTheModemRouteWritesTheInbox) {
    struct Case {
        int connectionType;
        QString operatorCode;
        QByteArray inbox;
    } cases[] = {
        {2, "CEL", "\r\n[1] a +44 x\r\n[2] b +44 y\r\n"},
        {1, "CEL", "\r\n"},
        {-1, "CEL", "\r\n"},
        {0, "VOD", "\r\n"},
    };
    for (const Case& c : cases) {
        TestInstallation inst;
        EXPECT_TRUE(OperatorInbox::WriteToNOMInbox(inst.appPath(),
                                                   connectionTypeFromStored(c.connectionType),
                                                   c.operatorCode, {"[1] a +44 x", "[2] b +44 y"}));
        EXPECT_EQ(inst.bytes(ExchangeFiles::kInbox), c.inbox) << c.connectionType;
    }
}

TEST(EventPacer, EventsAreDueAfterASliceOfTimeOrOfWork) {
    FakeClock clock;
    EventPacer pacer(clock, 15, 10);
    EXPECT_FALSE(pacer.due(9));
    clock.advanceMs(14);
    EXPECT_TRUE(pacer.due(1));
    pacer.restart();
    clock.advanceMs(14);
    EXPECT_FALSE(pacer.due(0)) << "both the work and the time start again";
    clock.advanceMs(1);
    EXPECT_TRUE(pacer.due(0));
}

// Brindle appends to its accepted file while the client polls it: only what
// was appended is read, and a removed file empties the index (the line rules,
// shrunk files and unended lines are fuzz_accepted's).
TEST(AcceptedIndex, ReadsOnlyWhatWasAppendedAndARemovedFileAsEmpty) {
    TestInstallation inst;
    const QString out = ExchangeFiles::kAccepted;
    AcceptedIndex index(inst.file(out));
    inst.writeBytes(out, "[1] a +441 x\r\n");
    index.refresh();
    inst.writeBytes(out, "[1] a +441 x\r\n[2] b +442 y\r\n");
    index.refresh();
    EXPECT_TRUE(index.size() == 2 && index.contains("[1]") && index.contains("[2]"));
    EXPECT_EQ(index.fullReads(), 1);
    inst.remove(out);
    index.refresh();
    EXPECT_EQ(index.size(), 0);
}
