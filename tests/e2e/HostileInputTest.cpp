// Group names built to reach outside the Groups folder, and a member file
// planted as a link to a file outside it.
#include "client/recipients/groups/GroupFiles.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

TEST(HostileInput, GroupNamesNeverReachOutsideTheGroupsFolder) {
    TestInstallation inst;
    inst.writeBytes("Config\\MsgID.dat", "7\r\n");
    for (const QString& name :
         QStringList{"../Config/MsgID", "..\\Config\\MsgID", "..", "/etc/passwd", "a/b", "C:MsgID",
                     QString::fromLatin1("x\0y", 3)}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(GroupFiles::memberPath(inst.appPath(), name).has_value());
        EXPECT_FALSE(GroupFiles::writeMembers(inst.appPath(), name, {"Jo  +44123"}));
        const GroupFiles::Take take = GroupFiles::entriesForNumberList(inst.appPath(), name);
        EXPECT_EQ(take.refusal, GroupFiles::kNotAllowed);
        EXPECT_TRUE(take.entries.isEmpty());
    }
    EXPECT_EQ(inst.bytes("Config\\MsgID.dat"), QByteArray("7\r\n"));

    // A member file that is a link out: written, it becomes a file of its own.
    inst.writeBytes("outside.dat", "Bo  +44999\r\n");
    QDir().mkpath(inst.file("Groups"));
    ASSERT_TRUE(QFile::link(inst.file("outside.dat"), inst.file("Groups\\Planted.dat")));
    EXPECT_TRUE(GroupFiles::writeMembers(inst.appPath(), "Planted", {"Jo  +44123"}));
    EXPECT_EQ(inst.bytes("outside.dat"), QByteArray("Bo  +44999\r\n"));
    EXPECT_EQ(inst.bytes("Groups\\Planted.dat"), QByteArray("Jo  +44123\r\n"));
}
