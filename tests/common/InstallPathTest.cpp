#include "common/InstallPath.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

TEST(InstallPath, LowerCaseSpellingsFindTheShippedFiles) {
    TestInstallation inst;
    const QString root = inst.root();
    EXPECT_EQ(InstallPath::resolve(inst.appPath(), "config\\QuickMsg.Dat"),
              root + "/Config/QuickMsg.Dat");
    EXPECT_EQ(InstallPath::resolve(inst.appPath(), "nom\\uk\\Cellnet\\Config\\Brindle.cfg"),
              root + "/NOM/UK/Cellnet/Config/Brindle.cfg");
    EXPECT_EQ(InstallPath::resolve(inst.appPath(), "\\Config\\BudList.dat"),
              root + "/Config/BudList.dat")
        << "a leading backslash is harmless";
}

TEST(InstallPath, ExactSpellingWinsOverAnotherCase) {
    TestInstallation inst;
    QDir().mkpath(inst.root() + "/Groups");
    QDir().mkpath(inst.root() + "/groups");
    EXPECT_EQ(InstallPath::resolve(inst.appPath(), "groups\\a.dat"), inst.root() + "/groups/a.dat");
    EXPECT_EQ(InstallPath::resolve(inst.appPath(), "Groups\\a.dat"), inst.root() + "/Groups/a.dat");
}

TEST(InstallPath, MissingComponentsTakeTheLayoutSpelling) {
    TestInstallation inst(TestInstallation::Contents::Empty);
    EXPECT_EQ(InstallPath::resolve(inst.appPath(), "nom\\uk\\cellnet\\config\\brindle.in"),
              inst.root() + "/NOM/UK/Cellnet/Config/Brindle.in");
    EXPECT_EQ(InstallPath::resolve(inst.appPath(), "groups\\My Friends.dat"),
              inst.root() + "/Groups/My Friends.dat");
    EXPECT_EQ(InstallPath::resolve(inst.appPath(), "nommon\\logs\\curnom.dat"),
              inst.root() + "/NOMMon/Logs/CurNOM.dat");
}

TEST(InstallPath, AnExistingFolderKeepsItsOwnSpellingForNewFiles) {
    TestInstallation inst(TestInstallation::Contents::Empty);
    QDir().mkpath(inst.root() + "/config");
    EXPECT_EQ(InstallPath::resolve(inst.appPath(), "Config\\QuickMsg.Dat"),
              inst.root() + "/config/QuickMsg.Dat");
}
