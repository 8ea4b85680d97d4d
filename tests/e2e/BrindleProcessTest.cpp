// The installed Brindle against the installed simulator on a real
// pseudo-terminal, started as the client starts it.
#include "InstalledTree.h"
#include "SimulatorProcess.h"
#include "common/FileLocks.h"
#include "common/LineFile.h"
#include "support/QtPrinters.h"
#include "support/SimRecord.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

const QString kConfigDir = "NOM/UK/Cellnet/Config/";

} // namespace

// The call drops after the first message, and the modem, back in command
// state, echoes whatever is sent to it; the log-off after four more messages
// drops the call again. Texts that hold the centre's own answers are taken
// neither for an acceptance nor for a rejection, and every entry arrives once.
TEST(BrindleWithSimulator, ADroppedEchoingLineNeitherAcceptsNorLosesAnEntry) {
    InstalledTree tree;
    ASSERT_TRUE(tree.ok()) << tree.log().toStdString();
    const QString root = tree.root() + "/";
    auto sim = std::make_unique<SimulatorProcess>(
        tree.root(), QStringList{"--drop-after", "1", "--link", root + "run/COM2"});
    ASSERT_TRUE(sim->ready());
    LineFile::rewrite(root + "Config/Port.cfg", {" 2 "});
    LineFile::rewrite(root + "Config/ComPorts.cfg", {"/dev/ttyS0", root + "run/COM2"});
    QStringList queued;
    for (const char* text : {"first", "Was number 2 successful?", "Message send failed, try 3",
                             "four", "successful Message send failed 5", "six"})
        queued << QString("[%1] 06/12/2026 10:00:00 +44770090000%1 %2 ")
                      .arg(queued.size() + 1)
                      .arg(text);
    LineFile::appendLines(root + kConfigDir + "Brindle.in", queued);

    QProcess brindle;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUORVEL_REGISTRY", root + "registry.ini");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    brindle.setProcessEnvironment(env);
    brindle.setWorkingDirectory(root);
    brindle.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    brindle.start(root + "NOM/UK/Cellnet/Brindle", {});
    ASSERT_TRUE(brindle.waitForFinished(200000));
    EXPECT_EQ(brindle.exitStatus(), QProcess::NormalExit);

    EXPECT_EQ(LineFile::readLast(root + "StartNOM.cfg"), "COMPLETE");
    EXPECT_EQ(sim->recorded(), simulatorRecord(queued));
    EXPECT_EQ(LineFile::readAll(root + kConfigDir + "Brindle.out"), queued);
    EXPECT_EQ(LineFile::readAll(root + kConfigDir + "Brindle.in"), QStringList{""});
    EXPECT_TRUE(LineFile::readAll(root + kConfigDir + "Brindle.tkn").isEmpty());
    QStringList log = LineFile::readAll(root + "NOMMon/Logs/SMSC.log");
    for (QString& l : log)
        l = l.mid(18);
    EXPECT_EQ(log.count("Connection to SMSC lost"), 1);
    EXPECT_EQ(log.count("Dialling SMSC"), 3);
    // NOMMon.log: the last non-empty status line, time-stamped; Brindle.pin:
    // the alive counter, moved on from its base.
    const QString monitor = LineFile::readLast(root + "NOMMon.log");
    EXPECT_TRUE(QRegularExpression(
                    "^\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d 211 Transmission successful$")
                    .match(monitor)
                    .hasMatch())
        << monitor.toStdString();
    EXPECT_GT(LineFile::readLast(root + kConfigDir + "Brindle.pin").toInt(), 1);
    // The simulator's transcript of the line; its link goes with it.
    sim.reset();
    QFile transcript(root + "run/transcript.txt");
    ASSERT_TRUE(transcript.open(QIODevice::ReadOnly));
    const QByteArray lines = transcript.readAll();
    EXPECT_EQ(lines.count("-- port opened\n"), 2);
    EXPECT_TRUE(lines.contains(">> <STX>447700900001<CR>first <CR><ETX>"));
    EXPECT_FALSE(QFileInfo(root + "run/COM2").isSymLink());
}

// One run per installation: a Brindle started while another holds the run
// lock leaves the state word, the logs and the queue alone and ends at once.
TEST(BrindleWithSimulator, ASecondRunRefusesTouchingNothing) {
    InstalledTree tree;
    ASSERT_TRUE(tree.ok()) << tree.log().toStdString();
    const QString root = tree.root() + "/";
    LineFile::rewrite(root + "StartNOM.cfg", {"INUSE"});
    LineFile::rewrite(root + "NOMMon.log", {"26-12-07 01:00:00 Dialling SMSC"});
    LineFile::appendLines(root + kConfigDir + "Brindle.in", {"[1] 07/12/2026 +441 queued"});
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
