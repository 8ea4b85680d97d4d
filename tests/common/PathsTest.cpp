// Where the installation's files are: the stored installation folder, names
// in any case, and the serial ports' devices.
#include "common/AppPath.h"
#include "common/ComPorts.h"
#include "common/InstallPath.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <tuple>

// AppPath.cfg: the client's start stores its own folder there; every other
// reader takes the last line, trimmed (a final empty line is the last line).
TEST(AppPath, TheInstallationFolderIsStoredReadAndNamedByQuorvelHome) {
    TestInstallation inst;
    for (const auto& [file, read] :
         {std::pair<QByteArray, QString>{"/first/\r\n  /second/place \r\n", "/second/place/"},
          {"/a\r\n\r\n", ""},
          {"<missing>", ""}}) {
        file == "<missing>" ? inst.remove("AppPath.cfg") : inst.writeBytes("AppPath.cfg", file);
        EXPECT_EQ(AppPath("/ignored", QDir::currentPath()).read(), read) << file.toStdString();
    }
    inst.writeBytes("AppPath.cfg", "/old/place/\r\n/older/\r\n");
    EXPECT_EQ(AppPath("/opt/quorvel", QDir::currentPath()).resolveAndStore(), "/opt/quorvel/");
    EXPECT_EQ(inst.bytes("AppPath.cfg"), QByteArray("/opt/quorvel/\r\n"));
    // An unwritable current folder falls back to the program's folder.
    EXPECT_EQ(AppPath("/opt/quorvel", "/proc/no-such-folder").resolveAndStore(), "/opt/quorvel/");
    // A per-user installation: programs in the shared tree, data in $QUORVEL_HOME.
    for (const auto& [home, installation] : {
             std::pair<QByteArray, QString>{"", "/opt/quorvel"},
             {"/home/ann/.local/share/quorvel", "/home/ann/.local/share/quorvel"},
             {"relative/quorvel", QDir::current().absoluteFilePath("relative/quorvel")},
             {{}, "/opt/quorvel"}, // unset, as it is left
         }) {
        home.isNull() ? qunsetenv("QUORVEL_HOME") : qputenv("QUORVEL_HOME", home);
        EXPECT_EQ(AppPath::installation("/opt/quorvel"), installation) << home.toStdString();
    }
}

TEST(InstallPath, RelativeNamesFindTheFilesWhateverTheirCase) {
    struct Case {
        QStringList folders; // made first
        QString relative, found;
    } cases[] = {
        // Missing components take the layout's spelling (a leading backslash is none)...
        {{}, "\\nom\\uk\\cellnet\\config\\brindle.in", "/NOM/UK/Cellnet/Config/Brindle.in"},
        {{}, "groups\\My Friends.dat", "/Groups/My Friends.dat"},
        // ...existing ones keep their own, and the exact spelling wins over another case.
        {{"config"}, "Config\\QuickMsg.Dat", "/config/QuickMsg.Dat"},
        {{"nom/Uk/cellnet"}, "NOM\\UK\\Cellnet\\x", "/nom/Uk/cellnet/x"},
        {{"Groups", "groups"}, "groups\\a.dat", "/groups/a.dat"},
        {{"Groups", "groups"}, "Groups\\a.dat", "/Groups/a.dat"},
    };
    for (const Case& c : cases) {
        TestInstallation inst(TestInstallation::Contents::Empty);
        for (const QString& folder : c.folders)
            QDir().mkpath(inst.root() + "/" + folder);
        EXPECT_EQ(InstallPath::resolve(inst.appPath(), c.relative), inst.root() + c.found)
            << c.relative.toStdString();
    }
}

TEST(ComPorts, TestInstallationsNameNoRealDevice) {
    TestInstallation inst;
    for (int n = 1; n <= ComPorts::kPortCount; ++n) {
        const QString device = ComPorts::devicePath(inst.appPath(), n);
        EXPECT_TRUE(device.startsWith(inst.appPath())) << device.toStdString();
        EXPECT_FALSE(QFileInfo::exists(device)) << device.toStdString();
    }
    // A runaway line names no device; the longest path allowed still does.
    inst.writeBytes("Config\\ComPorts.cfg",
                    "/dev/" + QByteArray(1019, 'x') + "\r\n/dev/" + QByteArray(1020, 'x') + "\r\n");
    EXPECT_EQ(ComPorts::devicePath(inst.appPath(), 1).size(), 1024);
    EXPECT_EQ(ComPorts::devicePath(inst.appPath(), 2), "");
    // A mobile modem is no device to open.
    inst.writeBytes("Config\\ComPorts.cfg", "mm: 490154203237518 \r\n/dev/ttyS0\r\n");
    EXPECT_EQ(ComPorts::devicePath(inst.appPath(), 1) + '|' +
                  ComPorts::mobileModem(inst.appPath(), 1) + '|' +
                  ComPorts::mobileModem(inst.appPath(), 2),
              "|490154203237518|");
}

TEST(ComPorts, AMobileModemTakesTheFirstBlankLine) {
    TestInstallation inst;
    const QString ports = "Config\\ComPorts.cfg";
    // Before, the port it gets, after (unchanged when empty).
    const std::tuple<QByteArray, int, QByteArray> cases[] = {
        {"/dev/a\r\n \r\n\r\n/dev/d\r\n/dev/e\r\n", 2,
         "/dev/a\r\nmm:490154203237518\r\n\r\n/dev/d\r\n/dev/e\r\n"},
        {"/dev/a\n/dev/b", 3, "/dev/a\r\n/dev/b\r\nmm:490154203237518\r\n"},
        {"/dev/a\r\n/dev/b\r\n/dev/c\r\n/dev/d\r\n\r\n", 0, ""},
        {"/dev/a\r\n\r\n\r\n\r\n\r\n mm: 490154203237518 \r\n", 6, ""},
    };
    for (const auto& [before, port, after] : cases) {
        inst.writeBytes(ports, before);
        EXPECT_EQ(ComPorts::nameMobileModem(inst.appPath(), "490154203237518", 4), port)
            << before.toStdString();
        EXPECT_EQ(inst.bytes(ports), after.isEmpty() ? before : after) << before.toStdString();
    }
    inst.remove(ports);
    EXPECT_EQ(ComPorts::nameMobileModem(inst.appPath(), "490154203237518", 4), 1);
    EXPECT_EQ(inst.bytes(ports), "mm:490154203237518\r\n");
}
