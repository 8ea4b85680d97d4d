#include "common/QSerialPortLine.h"
#include "support/TestInstallation.h"

#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

// The connection dialog tells the user why a port did not open: a missing
// device, one another program holds, or one the user may not open.
TEST(QSerialPortLine, SaysWhyAPortDidNotOpen) {
    TestInstallation inst;
    QSerialPortLine line;
    EXPECT_FALSE(line.open(inst.root() + "/absent", {}));
    EXPECT_EQ(line.openFailure(), SerialLine::OpenFailure::NoDevice);

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const QString pty = QString::fromLocal8Bit(::ptsname(master));
    QSerialPortLine holder;
    ASSERT_TRUE(holder.open(pty, {}));
    EXPECT_EQ(holder.openFailure(), SerialLine::OpenFailure::None);
    EXPECT_FALSE(line.open(pty, {}));
    EXPECT_EQ(line.openFailure(), SerialLine::OpenFailure::InUse);
    holder.close();

    // Root may open anything; the check only means something for a user.
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(QFile::encodeName(pty).constData(), 0), 0);
        EXPECT_FALSE(line.open(pty, {}));
        EXPECT_EQ(line.openFailure(), SerialLine::OpenFailure::NotPermitted);
    }
    ::close(master);
}
