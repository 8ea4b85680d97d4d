// Where the installation's files are: the stored installation folder, names
// in any case, and the serial ports' devices.
#include "common/AppPath.h"
#include "common/ComPorts.h"
#include "common/ExchangeFiles.h"
#include "common/InstallPath.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

TEST(AppPath, ClientStartRewritesTheFileWithItsOwnFolder) {
    TestInstallation inst;
    inst.writeBytes("AppPath.cfg", "/old/place/\r\n/older/\r\n");
    const AppPath resolver("/opt/quorvel", QDir::currentPath());
    EXPECT_EQ(resolver.resolveAndStore(), "/opt/quorvel/");
    EXPECT_EQ(inst.bytes("AppPath.cfg"), QByteArray("/opt/quorvel/\r\n"));
}

TEST(AppPath, ReadersTakeTheLastLineTrimmed) {
    TestInstallation inst;
    inst.writeBytes("AppPath.cfg", "/first/\r\n   /second/place   \r\n");
    EXPECT_EQ(AppPath("/ignored", QDir::currentPath()).read(), "/second/place/");
    inst.writeBytes("AppPath.cfg", "/a\r\n\r\n");
    EXPECT_EQ(AppPath("/ignored", QDir::currentPath()).read(), "")
        << "a final empty line is the last line";
    inst.remove("AppPath.cfg");
    EXPECT_EQ(AppPath("/ignored", QDir::currentPath()).read(), "");
}

TEST(AppPath, UnwritableCurrentFolderFallsBackToTheProgramFolder) {
    const AppPath resolver("/opt/quorvel", "/proc/no-such-folder");
    EXPECT_EQ(resolver.resolveAndStore(), "/opt/quorvel/");
}

TEST(InstallPath, RelativeNamesFindTheFilesWhateverTheirCase) {
    using enum TestInstallation::Contents;
    struct Case {
        TestInstallation::Contents contents;
        QStringList folders;
        QString relative, found;
    } cases[] = {
        {ShippedData, {}, "config\\QuickMsg.Dat", "/Config/QuickMsg.Dat"},
        {ShippedData,
         {},
         "nom\\uk\\Cellnet\\Config\\Brindle.cfg",
         "/NOM/UK/Cellnet/Config/Brindle.cfg"},
        {ShippedData, {}, "\\Config\\BudList.dat", "/Config/BudList.dat"}, // a leading backslash
        // The exact spelling wins over another case.
        {ShippedData, {"Groups", "groups"}, "groups\\a.dat", "/groups/a.dat"},
        {ShippedData, {"Groups", "groups"}, "Groups\\a.dat", "/Groups/a.dat"},
        // Missing components take the layout's spelling...
        {Empty, {}, "nom\\uk\\cellnet\\config\\brindle.in", "/NOM/UK/Cellnet/Config/Brindle.in"},
        {Empty, {}, "groups\\My Friends.dat", "/Groups/My Friends.dat"},
        {Empty, {}, "nommon\\logs\\curnom.dat", "/NOMMon/Logs/CurNOM.dat"},
        // ...but an existing folder keeps its own for new files.
        {Empty, {"config"}, "Config\\QuickMsg.Dat", "/config/QuickMsg.Dat"},
    };
    for (const Case& c : cases) {
        TestInstallation inst(c.contents);
        for (const QString& folder : c.folders)
            QDir().mkpath(inst.root() + "/" + folder);
        EXPECT_EQ(InstallPath::resolve(inst.appPath(), c.relative), inst.root() + c.found)
            << c.relative.toStdString();
    }
}

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

// A per-user installation: programs in the shared tree, data in $QUORVEL_HOME.
TEST(AppPath, QuorvelHomeNamesTheInstallationOverTheProgramsOwnFolder) {
    const QByteArray saved = qgetenv("QUORVEL_HOME");
    const struct {
        const char* home;
        QString installation;
    } cases[] = {
        {nullptr, "/opt/quorvel"},
        {"", "/opt/quorvel"},
        {"/home/ann/.local/share/quorvel", "/home/ann/.local/share/quorvel"},
        {"relative/quorvel", QDir::current().absoluteFilePath("relative/quorvel")},
    };
    for (const auto& c : cases) {
        if (c.home)
            qputenv("QUORVEL_HOME", c.home);
        else
            qunsetenv("QUORVEL_HOME");
        EXPECT_EQ(AppPath::installation("/opt/quorvel"), c.installation) << (c.home ? c.home : "-");
    }
    if (saved.isNull())
        qunsetenv("QUORVEL_HOME");
    else
        qputenv("QUORVEL_HOME", saved);
}
