#include "client/shell/SingleInstance.h"
#include "client/shell/StartupFiles.h"
#include "client/shell/ui/ClientStartup.h"
#include "common/Registry.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

// Missing lists and group index are created, existing ones left alone, and
// nothing goes where there is no Config folder.
TEST(StartupFiles, MissingFilesAreCreatedAndExistingOnesLeftAlone) {
    {
        TestInstallation inst;
        ASSERT_FALSE(QFileInfo::exists(inst.root() + "/Groups"));
        StartupFiles::ensureAll(inst.appPath());
        EXPECT_EQ(inst.bytes("Groups\\Group.dat"), QByteArray(" \r\n"));
        EXPECT_TRUE(QFileInfo(inst.root() + "/Groups").isDir()) << "exact case of the layout";
        EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"), QByteArray());
        EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray());
        inst.writeBytes("Groups\\Group.dat", "Friends\r\n");
        inst.writeBytes("Config\\BudList.dat", "Ann  +441\r\n");
        StartupFiles::ensureAll(inst.appPath());
        EXPECT_EQ(inst.bytes("Groups\\Group.dat"), QByteArray("Friends\r\n"));
        EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray("Ann  +441\r\n"));
    }
    TestInstallation inst(TestInstallation::Contents::Empty);
    StartupFiles::ensureAll(inst.appPath());
    EXPECT_FALSE(QFileInfo::exists(inst.root() + "/Config"));
    EXPECT_EQ(inst.bytes("Groups\\Group.dat"), QByteArray(" \r\n"));
}

// One client per installation; another installation runs side by side.
TEST(ClientStartup, ASecondClientIsRefusedWithoutAWindow) {
    TestInstallation inst;
    ScriptedMessageBox boxes;
    const QString locks = inst.root() + "/locks";
    QDir().mkpath(locks);
    SingleInstance running(inst.appPath(), locks), other("/opt/b/", locks);
    ASSERT_TRUE(running.acquire());
    EXPECT_TRUE(other.acquire());
    ClientStartup startup(inst.root(), inst.root(), locks);
    EXPECT_EQ(startup.start(), ClientStartup::Outcome::AlreadyRunning);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().text, "Quorvel is running ...");
    EXPECT_TRUE(boxes.lastIs("Quorvel Warning", MessageBox::Icon::Information));
    EXPECT_EQ(startup.mainForm(), nullptr);
    EXPECT_EQ(Registry::readSetting("MODEM_CONN"), "Error") << "nothing else happens";
}
