#include "common/QSerialPortLine.h"
#include "support/TestInstallation.h"

#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A pseudo-terminal: its other end, and the port to open.
std::pair<int, QString> newPty() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    EXPECT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    return {master, QString::fromLocal8Bit(::ptsname(master))};
}
} // namespace

// The connection dialog tells the user why a port did not open: a missing
// device, one another program holds, or one the user may not open.
TEST(QSerialPortLine, SaysWhyAPortDidNotOpenAndClosesWhenHungUp) {
    TestInstallation inst;
    QSerialPortLine line;
    EXPECT_FALSE(line.open(inst.root() + "/absent", {}));
    EXPECT_EQ(line.openFailure(), SerialLine::OpenFailure::NoDevice);

    auto [master, pty] = newPty();
    QSerialPortLine holder;
    ASSERT_TRUE(holder.open(pty, {}));
    EXPECT_EQ(holder.openFailure(), SerialLine::OpenFailure::None);
    EXPECT_FALSE(line.open(pty, {}));
    EXPECT_EQ(line.openFailure(), SerialLine::OpenFailure::InUse);

    // The other end gone (a USB modem pulled out, a simulator ended): a hung-up
    // line reads as end of file for ever, so the port closes itself rather than
    // wake every wait at once; the next open starts afresh.
    ::close(master);
    EXPECT_FALSE(holder.waitForInput(1000));
    EXPECT_FALSE(holder.isOpen());
    std::tie(master, pty) = newPty();
    EXPECT_TRUE(holder.open(pty, {}));
    holder.close();

    // Root may open anything; the check only means something for a user.
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(QFile::encodeName(pty).constData(), 0), 0);
        EXPECT_FALSE(line.open(pty, {}));
        EXPECT_EQ(line.openFailure(), SerialLine::OpenFailure::NotPermitted);
    }
    ::close(master);
}
