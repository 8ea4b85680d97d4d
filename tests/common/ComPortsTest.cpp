#include "common/ComPorts.h"
#include "common/ExchangeFiles.h"
#include "support/TestInstallation.h"

#include <QFileInfo>
#include <gtest/gtest.h>

// A port without a device of its own must never fall back to a standard port:
// that port may hold someone else's hardware.
TEST(ComPorts, OnlyANamedDeviceMapsAPort) {
    TestInstallation inst;
    struct Case {
        QByteArray file;
        QStringList devices; // COM1 to COM9
    } cases[] = {
        {"/dev/ttyUSB0\r\n \t\r\n /tmp/pty 3 \r\n",
         {"/dev/ttyUSB0", "", "/tmp/pty 3", "", "", "", "", "", ""}},
        {"\r\n\r\n/dev/ttyACM0", {"", "", "/dev/ttyACM0", "", "", "", "", "", ""}},
        {"", {"", "", "", "", "", "", "", "", ""}},
        {"a\nb\nc\nd\ne\nf\ng\nh\ni\nj\n", {"a", "b", "c", "d", "e", "f", "g", "h", ""}},
    };
    for (const Case& c : cases) {
        inst.writeBytes(ExchangeFiles::kComPorts, c.file);
        for (int n = 1; n <= 9; ++n)
            EXPECT_EQ(ComPorts::devicePath(inst.appPath(), n).toStdString(),
                      c.devices[n - 1].toStdString())
                << c.file.toStdString() << " COM" << n;
        EXPECT_EQ(ComPorts::devicePath(inst.appPath(), 0), "");
        EXPECT_EQ(ComPorts::devicePath(inst.appPath(), -1), "");
    }
    inst.remove(ExchangeFiles::kComPorts);
    EXPECT_EQ(ComPorts::devicePath(inst.appPath(), 1), "");
}

TEST(ComPorts, TestInstallationsNameNoRealDevice) {
    TestInstallation inst;
    for (int n = 1; n <= ComPorts::kPortCount; ++n) {
        const QString device = ComPorts::devicePath(inst.appPath(), n);
        EXPECT_TRUE(device.startsWith(inst.appPath())) << device.toStdString();
        EXPECT_FALSE(QFileInfo::exists(device)) << device.toStdString();
    }
}
