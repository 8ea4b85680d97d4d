#include "common/AppPath.h"
#include "common/LineFile.h"
#include "support/TestInstallation.h"

#include <QDir>
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
