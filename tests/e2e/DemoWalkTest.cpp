#include "DemoWalk.h"
#include "InstalledTree.h"

#include "client/shell/ui/MainForm.h"
#include "common/FileLocks.h"
#include "common/LineFile.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

// The installed tree as shipped (exact folder case, the data files' bytes),
// then a new user's walk through the installed client, then Brindle's own lock.
TEST(InstalledClient, ShipsItsDataAndANewUserWalksThroughIt) {
    InstalledTree tree;
    ASSERT_TRUE(tree.ok()) << tree.log().toStdString();
    const QString r = tree.root() + "/";
    for (const char* dir : {"Config", "NOM/UK/Cellnet/Config", "NOMMon/Logs"})
        EXPECT_TRUE(QFileInfo(r + dir).isDir()) << dir;
    EXPECT_TRUE(QFileInfo(r + "Quorvel").isExecutable());
    QSet<QString> lower;
    for (QDirIterator it(r, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString folder = it.next().toLower();
        EXPECT_FALSE(lower.contains(folder)) << "twin folder " << folder.toStdString();
        lower << folder;
    }
    // The counter, inbox and signature files: DeliveryEndToEndTest sends from
    // them. USB modems first: that is what most users have.
    EXPECT_EQ(tree.shippedComPorts(), QByteArray("/dev/ttyUSB0\r\n/dev/ttyACM0\r\n/dev/ttyS0\r\n"
                                                 "/dev/ttyS1\r\n/dev/ttyS2\r\n/dev/ttyS3\r\n"
                                                 "/dev/ttyS4\r\n/dev/ttyS5\r\n"));

    const QStringList countries = LineFile::readAll(r + "Config/ISDCodes.dat");
    ASSERT_EQ(countries.size(), 229);
    EXPECT_EQ(countries.first(), "Afghanistan  +93");
    for (const char* c : {"United Kingdom  +44", "Angola  +244", "Réunion  +262"})
        EXPECT_TRUE(countries.contains(QString::fromUtf8(c))) << c;
    for (const QString& c : countries)
        EXPECT_TRUE(QRegularExpression("^\\S.*\\S  \\+\\d+$").match(c).hasMatch())
            << c.toStdString();

    // Brindle's configuration: speed, bits, parity, whole retries and ping base, a log file.
    const QStringList cfg = LineFile::readAll(r + "NOM/UK/Cellnet/Config/Brindle.cfg");
    ASSERT_EQ(cfg.size(), 24);
    EXPECT_EQ(QStringList({cfg[15], cfg[17], cfg[19]}), QStringList({"9600", "8", "N"}));
    for (const QString& number : {cfg[21], cfg[23]})
        EXPECT_TRUE(QRegularExpression("^\\d+$").match(number).hasMatch()) << number.toStdString();
    EXPECT_FALSE(cfg[11].isEmpty());
    // The tuned example beside it holds the same 24 lines first.
    EXPECT_EQ(LineFile::readAll(r + "NOM/UK/Cellnet/Config/Brindle.cfg.tuned").mid(0, 24), cfg);
    const QStringList quick = LineFile::readAll(r + "Config/QuickMsg.Dat");
    EXPECT_GE(quick.size(), 3);
    for (const QString& q : quick)
        EXPECT_LE(q.size(), 120);

    TestInstallation sandbox(TestInstallation::Contents::Empty); // cwd and settings store
    ScriptedMessageBox boxes;
    DemoWalk walk(tree.root(), sandbox.root() + "/shots");
    ASSERT_TRUE(walk.run()) << walk.error().toStdString();
    // No modem to walk through here: options, About, the connection settings
    // before and after Refresh, the main window; nothing can be sent.
    EXPECT_EQ(walk.screenshots().size(), 5);
    for (const QString& s : walk.screenshots())
        EXPECT_GT(QImage(s).width(), 200) << s.toStdString(); // a null image has none
    EXPECT_EQ(boxes.texts(),
              QStringList{"No port selected. You will not be able to send any SMS messages."});

    // One run per installation: a Brindle started while another holds the run
    // lock leaves the state word, the logs and the queue alone and ends at once.
    LineFile::rewrite(r + "StartNOM.cfg", {"INUSE"});
    LineFile::rewrite(r + "NOMMon.log", {"26-12-07 01:00:00 Dialling SMSC"});
    LineFile::appendLines(r + "NOM/UK/Cellnet/Config/Brindle.in", {"[1] 07/12/2026 +441 queued"});
    FileLocks::RunLock first(r);
    ASSERT_TRUE(first.held());
    const auto files = [&] {
        QStringList all;
        for (const char* d : {"", "NOMMon/Logs", "NOM/UK/Cellnet/Config"})
            for (const QFileInfo& f : QDir(r + QString(d)).entryInfoList(QDir::Files))
                all << f.fileName() + ' ' + f.lastModified().toString(Qt::ISODateWithMs) + ' ' +
                           QString::number(f.size());
        return all;
    };
    const QStringList before = files();
    QProcess second;
    second.setWorkingDirectory(r);
    second.start(r + "NOM/UK/Cellnet/Brindle", {});
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(second.exitCode(), 3);
    EXPECT_EQ(files(), before);
    EXPECT_TRUE(FileLocks::brindleRunning(r)) << "the first run still holds it";
}
