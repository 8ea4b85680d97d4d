#include "client/recipients/NumberListFile.h"
#include "support/TestInstallation.h"

#include <gtest/gtest.h>

TEST(NumberListFile, LoadsWhatIsValidFromDamagedFiles) {
    TestInstallation inst;
    struct Case {
        QByteArray bytes;
        QStringList entries;
    } cases[] = {
        {"Jane  +44123\r\nJo  0123\r\n\r\n   \r\nBob  +44 5\r\nAl  +4477",
         {"Jane  +44123", "Al  +4477"}},
        {"A  +1\nB  +2\rC  +3\r\n", {"A  +1", "B  +2", "C  +3"}},
        {QByteArray(1 << 20, 'n') + "  +44\r\nOk  +1\r\n", {"Ok  +1"}},
        {QByteArray("\x00\xff\x81+1\r\n", 6),
         {QString(QChar(0)) + QChar(0xFF) + QChar(0x81) + "+1"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        inst.writeBytes("Config\\BudList.dat", c.bytes);
        EXPECT_EQ(NumberListFile::load(inst.appPath()), c.entries)
            << c.bytes.left(30).toStdString();
    }
    inst.remove("Config\\BudList.dat");
    EXPECT_TRUE(NumberListFile::load(inst.appPath()).isEmpty());
}

TEST(NumberListFile, AppendsOneLineAndSavesTheWholeList) {
    TestInstallation inst;
    inst.writeBytes("Config\\BudList.dat", "A  +1\r\n");
    ASSERT_TRUE(NumberListFile::append(inst.appPath(), "B  +2"));
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray("A  +1\r\nB  +2\r\n"));
    ASSERT_TRUE(NumberListFile::save(inst.appPath(), {"C  +3"}));
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray("C  +3\r\n"));
    ASSERT_TRUE(NumberListFile::save(inst.appPath(), {}));
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray(""));
}
