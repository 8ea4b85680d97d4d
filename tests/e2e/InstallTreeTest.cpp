#include "InstalledTree.h"

#include "common/LineFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

TEST(InstallTree, FoldersHaveTheExactCaseAndNoTwin) {
    InstalledTree tree;
    ASSERT_TRUE(tree.ok()) << tree.log().toStdString();
    for (const char* dir : {"Config", "NOM/UK/Cellnet/Config", "NOMMon/Logs"})
        EXPECT_TRUE(QFileInfo(tree.root() + "/" + dir).isDir()) << dir;
    EXPECT_TRUE(QFileInfo(tree.root() + "/Quorvel").isExecutable());
    QStringList lower;
    QDirIterator it(tree.root(), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString rel = QDir(tree.root()).relativeFilePath(it.next());
        EXPECT_FALSE(lower.contains(rel.toLower())) << "twin folder " << rel.toStdString();
        lower << rel.toLower();
    }
}

TEST(InstallTree, DataFilesHoldTheirShippedBytes) {
    InstalledTree tree;
    ASSERT_TRUE(tree.ok()) << tree.log().toStdString();
    const QString r = tree.root() + "/";
    EXPECT_EQ(bytesOf(r + "Config/MsgID.dat"), QByteArray("1\r\n"));
    EXPECT_EQ(bytesOf(r + "NOM/UK/Cellnet/Config/Brindle.in"), QByteArray("\r\n"));
    EXPECT_EQ(bytesOf(r + "NOM/UK/Cellnet/Config/Brindle.out"), QByteArray());
    EXPECT_EQ(bytesOf(r + "NOM/UK/Cellnet/Config/Brindle.rcv"), QByteArray());
    EXPECT_EQ(bytesOf(r + "Config/Sign.cfg"), QByteArray("NOPAGE- Message sent by Quorvel.\r\n"));
    // USB modems first: that is what most users have.
    EXPECT_EQ(tree.shippedComPorts(), QByteArray("/dev/ttyUSB0\r\n/dev/ttyACM0\r\n/dev/ttyS0\r\n"
                                                 "/dev/ttyS1\r\n/dev/ttyS2\r\n/dev/ttyS3\r\n"
                                                 "/dev/ttyS4\r\n/dev/ttyS5\r\n"));

    const QStringList countries = LineFile::readAll(r + "Config/ISDCodes.dat");
    ASSERT_EQ(countries.size(), 229);
    EXPECT_EQ(countries.first(), "Afghanistan  +93");
    EXPECT_TRUE(countries.contains("United Kingdom  +44"));
    EXPECT_TRUE(countries.contains("Angola  +244")) << "stray trailing blanks removed";
    EXPECT_TRUE(countries.contains(QString::fromUtf8("Réunion  +262")));
    for (const QString& c : countries)
        EXPECT_TRUE(QRegularExpression("^\\S.*\\S  \\+\\d+$").match(c).hasMatch())
            << c.toStdString();

    const QStringList cfg = LineFile::readAll(r + "NOM/UK/Cellnet/Config/Brindle.cfg");
    ASSERT_EQ(cfg.size(), 24);
    EXPECT_EQ(cfg[15], "9600");
    EXPECT_EQ(cfg[17], "8");
    EXPECT_EQ(cfg[19], "N");
    bool whole = false;
    cfg[21].toInt(&whole);
    EXPECT_TRUE(whole) << "retries";
    cfg[23].toInt(&whole);
    EXPECT_TRUE(whole) << "ping base";
    EXPECT_FALSE(cfg[11].isEmpty()) << "log file name";

    const QStringList quick = LineFile::readAll(r + "Config/QuickMsg.Dat");
    EXPECT_GE(quick.size(), 3);
    for (const QString& q : quick)
        EXPECT_LE(q.size(), 120);
}
