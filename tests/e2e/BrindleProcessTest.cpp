// The installed Brindle, started as the client starts it.
#include "InstalledTree.h"
#include "common/FileLocks.h"
#include "common/LineFile.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

// One run per installation: a Brindle started while another holds the run
// lock leaves the state word, the logs and the queue alone and ends at once.
TEST(BrindleProcess, ASecondRunRefusesTouchingNothing) {
    InstalledTree tree;
    ASSERT_TRUE(tree.ok()) << tree.log().toStdString();
    const QString root = tree.root() + "/";
    LineFile::rewrite(root + "StartNOM.cfg", {"INUSE"});
    LineFile::rewrite(root + "NOMMon.log", {"26-12-07 01:00:00 Dialling SMSC"});
    LineFile::appendLines(root + "NOM/UK/Cellnet/Config/Brindle.in",
                          {"[1] 07/12/2026 +441 queued"});
    FileLocks::RunLock first(root);
    ASSERT_TRUE(first.held());
    const auto files = [&] {
        QStringList all;
        for (const char* d : {"", "NOMMon/Logs", "NOM/UK/Cellnet/Config"})
            for (const QFileInfo& f : QDir(root + QString(d)).entryInfoList(QDir::Files))
                all << f.fileName() + ' ' + f.lastModified().toString(Qt::ISODateWithMs) + ' ' +
                           QString::number(f.size());
        return all;
    };
    const QStringList before = files();
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUORVEL_REGISTRY", root + "registry.ini");
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(root);
    second.start(root + "NOM/UK/Cellnet/Brindle", {});
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(second.exitCode(), 3);
    EXPECT_EQ(files(), before);
    EXPECT_TRUE(FileLocks::brindleRunning(root)) << "the first run still holds it";
}
