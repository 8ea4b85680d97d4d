// A member file planted as a link to a file outside the Groups folder.
#include "client/recipients/groups/GroupFiles.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

// Written, the link becomes a file of its own; the file it named is untouched.
TEST(HostileInput, APlantedGroupLinkIsReplacedNeverWrittenThrough) {
    TestInstallation inst;
    inst.writeBytes("outside.dat", "Bo  +44999\r\n");
    QDir().mkpath(inst.file("Groups"));
    ASSERT_TRUE(QFile::link(inst.file("outside.dat"), inst.file("Groups\\Planted.dat")));
    EXPECT_TRUE(GroupFiles::writeMembers(inst.appPath(), "Planted", {"Jo  +44123"}));
    EXPECT_EQ(inst.bytes("outside.dat"), QByteArray("Bo  +44999\r\n"));
    EXPECT_EQ(inst.bytes("Groups\\Planted.dat"), QByteArray("Jo  +44123\r\n"));
}
