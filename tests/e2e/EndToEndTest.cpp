// The installed programs on a real installation: the client's logic and
// windows, Brindle started by the client's poll or by quorvel-send, and the
// message-centre simulator on a pseudo-terminal.
#include "DemoWalk.h"

#include "client/recipients/groups/GroupFiles.h"
#include "client/shell/ui/MainForm.h"
#include "common/FileLocks.h"
#include "common/LineFile.h"
#include "common/Registry.h"
#include "support/Installed.h"
#include "support/QtPrinters.h"
#include "support/ScriptedMessageBox.h"
#include "support/SimRecord.h"
#include "support/SmscsimProcess.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// quorvel-send of the installed tree (its settings store in the environment
// the tree set), run from a folder of its own.
struct SendRun {
    explicit SendRun(const Installed& inst, const QStringList& args,
                     const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
        QDir().mkpath(inst.file("elsewhere"));
        p.setWorkingDirectory(inst.file("elsewhere"));
        p.setProcessEnvironment(env);
        p.start(inst.file("bin/quorvel-send"), args);
    }
    int exit() {
        p.waitForFinished(240000);
        out = QString::fromLocal8Bit(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        err = p.readAllStandardError().toStdString();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QProcess p;
    QStringList out;
    std::string err;
};

QStringList prefixed(const QString& prefix, QStringList entries) {
    for (QString& e : entries)
        e.prepend(prefix);
    return entries;
}

} // namespace

// The installed tree as shipped (exact folder case, the data files' bytes),
// then a new user's walk through the installed client, then Brindle's own lock.
TEST(InstalledClient, ShipsItsDataAndANewUserWalksThroughIt) {
    Installed tree;
    ASSERT_TRUE(tree.ok()) << tree.log().toStdString();
    const QString r = tree.root() + "/";
    for (const char* dir : {"Config", "NOM/UK/Cellnet/Config", "NOMMon/Logs"})
        EXPECT_TRUE(QFileInfo(r + dir).isDir()) << dir;
    EXPECT_TRUE(QFileInfo(r + "Quorvel").isExecutable());
    QStringList folders;
    for (QDirIterator it(r, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();)
        folders << it.next().toLower();
    EXPECT_EQ(folders.removeDuplicates(), 0) << "twin folders: " << folders.join(' ').toStdString();
    // The counter, inbox and signature files: the delivery tests send from
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
    for (const QString& q : LineFile::readAll(r + "Config/QuickMsg.Dat"))
        EXPECT_LE(q.size(), 120);

    ScriptedMessageBox boxes;
    DemoWalk walk(tree.root(), tree.file("shots"));
    ASSERT_TRUE(walk.run()) << walk.error().toStdString();
    // No modem to walk through here: options, About, the connection settings
    // before and after Refresh, the main window; nothing can be sent.
    EXPECT_EQ(walk.screenshots().size(), 5);
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

// A member file planted as a link to a file outside the Groups folder: written,
// the link becomes a file of its own; the file it named is untouched.
TEST(HostileInput, APlantedGroupLinkIsReplacedNeverWrittenThrough) {
    TestInstallation inst;
    inst.writeBytes("outside.dat", "Bo  +44999\r\n");
    QDir().mkpath(inst.file("Groups"));
    ASSERT_TRUE(QFile::link(inst.file("outside.dat"), inst.file("Groups\\Planted.dat")));
    EXPECT_TRUE(GroupFiles::writeMembers(inst.appPath(), "Planted", {"Jo  +44123"}));
    EXPECT_EQ(inst.bytes("outside.dat"), QByteArray("Bo  +44999\r\n"));
    EXPECT_EQ(inst.bytes("Groups\\Planted.dat"), QByteArray("Jo  +44123\r\n"));
}

// The call drops after the first message, and the modem, back in command
// state, echoes what is sent to it: a text holding the centre's own answers is
// taken neither for an acceptance nor for a rejection, and each arrives once.
TEST(SendEndToEnd, AMessageToThreeNumbersOnADroppedEchoingLineIsAcceptedOnce) {
    Installed inst;
    ASSERT_TRUE(inst.ok() && inst.simulate({"--drop-after", "1"})) << inst.log().toStdString();
    QFile::remove(inst.file("AppPath.cfg"));
    SendRun run(inst, {"--wait", "--country", "44", "07700 900001", "+447700900002", "+3361"});
    run.p.write("Was it successful? Message send failed\n");
    run.p.closeWriteChannel();
    ASSERT_EQ(run.exit(), 0) << run.err;
    const QStringList sent = inst.lines("NOM/UK/Cellnet/Config/Brindle.out");
    ASSERT_EQ(sent.size(), 3);
    const QString numbers[] = {"+447700900001", "+447700900002", "+3361"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(sent[i].section(' ', 0, 0) + sent[i].section(' ', 3),
                  QString("[%1]").arg(i + 1) + numbers[i] +
                      " Was it successful? Message send failed - Message sent by Quorvel.");
    EXPECT_EQ(inst.bytes("run/record.txt"), simulatorRecord(sent));
    EXPECT_EQ(inst.lines("NOMMon/Logs/SMSC.log").filter(" Connection to SMSC lost").size(), 1);
    EXPECT_EQ(run.out, prefixed("Queued: ", sent) + prefixed("Accepted::", sent));
    EXPECT_EQ(inst.lines("Config/AccpMsgs.dat"), prefixed("Accepted::", sent));
    // Brindle served this installation although the command ran elsewhere.
    EXPECT_EQ(inst.lines("AppPath.cfg"), QStringList{inst.root() + "/"});
}

TEST(SendEndToEnd, ABusyLineCarriesTheEntriesOverAndExitsTwo) {
    Installed inst;
    ASSERT_TRUE(inst.ok() && inst.simulate({"--busy"})) << inst.log().toStdString();
    inst.setBrindleConfigLine(22, "1");
    SendRun run(inst, {"--wait", "-m", "Nightly job failed", "+447700900001", "+447700900002"});
    EXPECT_EQ(run.exit(), 2) << run.err;
    QStringList carried = inst.lines("NOM/UK/Cellnet/Config/Brindle.rcv");
    carried.removeAll(QString());
    ASSERT_EQ(carried.size(), 2);
    EXPECT_EQ(run.out,
              prefixed("Queued: ", carried) + prefixed("Carried over to Brindle.rcv: ", carried));
    EXPECT_EQ(inst.lines("Config/AccpMsgs.dat"), QStringList{});
}

// A Brindle that ends without beginning its run is reported, and its entry
// waits in the inbox; with no display to open (a dead ssh -X, cron) Brindle
// runs without its window and sends it with the next.
TEST(SendEndToEnd, ABrindleThatCannotStartIsToldAndOneWithoutADisplayRuns) {
    Installed inst;
    ASSERT_TRUE(inst.ok() && inst.simulate({})) << inst.log().toStdString();
    // Any program that says why it ends at once will do.
    const QString brindle = inst.file("NOM/UK/Cellnet/Brindle");
    ASSERT_TRUE(QFile::rename(brindle, brindle + ".real"));
    ASSERT_TRUE(QFile::copy(inst.file("bin/quorvel-send"), brindle));
    SendRun stranded(inst, {"-m", "First", "+447700900001"});
    EXPECT_EQ(stranded.exit(), 5) << stranded.err;
    EXPECT_EQ(stranded.err,
              "quorvel-send: Brindle could not start: quorvel-send: Usage: quorvel-send [options] "
              "NUMBER...; the entries stay in Brindle.in for the next run\n");
    const QStringList queued = inst.lines("NOM/UK/Cellnet/Config/Brindle.in").mid(1);
    EXPECT_EQ(prefixed("Queued: ", queued), stranded.out);

    // What a script reads must be whole: a full disk behind standard output is an error.
    QProcess full;
    full.setStandardOutputFile("/dev/full");
    full.start(inst.file("bin/quorvel-send"), {"--dry-run", "-m", "x", "+447700900003"});
    ASSERT_TRUE(full.waitForFinished(60000));
    EXPECT_EQ(full.exitCode(), 1);
    EXPECT_EQ(full.readAllStandardError(),
              "quorvel-send: cannot write to standard output: No space left on device.\n");
    // An error repeats what it was given, but never a control character raw.
    QProcess hostile;
    hostile.start(inst.file("bin/quorvel-send"), {"--timeout", "5\x1b[2J", "+447700900003"});
    ASSERT_TRUE(hostile.waitForFinished(60000));
    EXPECT_EQ(hostile.readAllStandardError(),
              "quorvel-send: --timeout takes a number of seconds above 0, not \"5U+001B[2J\".\n"
              "Try quorvel-send --help.\n");

    ASSERT_TRUE(QFile::remove(brindle) && QFile::rename(brindle + ".real", brindle));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    env.remove("WAYLAND_DISPLAY");
    int display = 90;
    while (QFileInfo::exists(QString("/tmp/.X11-unix/X%1").arg(display)))
        ++display;
    env.insert("DISPLAY", QString(":%1").arg(display));
    SendRun headless(inst, {"--wait", "-m", "Second", "+447700900002"}, env);
    EXPECT_EQ(headless.exit(), 0) << headless.err;
    QStringList sent = inst.lines("NOM/UK/Cellnet/Config/Brindle.out");
    sent.removeAll(QString());
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[0], queued.value(0));
}

// A new user sets the modem up and sends from the window while a script
// queues at the same moment: ids from the one counter, one run at a time,
// every entry sent and accepted once.
TEST(DeliveryEndToEnd, ASentMessageTravelsToAcceptedAndIntoTheAcceptedView) {
    Installed inst;
    ASSERT_TRUE(inst.ok() && inst.simulate({}, false)) << inst.log().toStdString();
    ScriptedMessageBox boxes;
    DemoWalk walk(inst.root(), inst.root() + "/shots");
    ASSERT_TRUE(walk.startClient(DemoWalk::Connection::SetUpModem)) << walk.error().toStdString();
    EXPECT_EQ(inst.lines("Config/Port.cfg"), QStringList{" 1 "});
    ASSERT_TRUE(walk.addRecipient("Ann Example", "07700900123")) << walk.error().toStdString();
    SendRun run(inst, {"--wait", "-m", "From a script", "+447700900201", "+447700900202"});
    ASSERT_TRUE(walk.composeAndSend("", "Meet at ten, bring the plans."))
        << walk.error().toStdString();
    const DemoWalk::Controls c = walk.controls();
    ASSERT_EQ(c.outbox->count(), 1);
    const QString entry = c.outbox->item(0)->text();
    ASSERT_TRUE(walk.sendQueueAndWaitAccepted(120000)) << walk.error().toStdString();
    ASSERT_EQ(run.exit(), 0) << run.err;
    QStringList all = run.out.filter(QRegularExpression("^Queued: ")) << "Queued: " + entry;
    all.replaceInStrings("Queued: ", "").sort();
    const QStringList out = inst.lines("NOM/UK/Cellnet/Config/Brindle.out");
    QStringList sent = out;
    sent.sort();
    ASSERT_EQ(sent, all);
    EXPECT_EQ(QStringList({all[0].left(4), all[1].left(4), all[2].left(4)}),
              QStringList({"[1] ", "[2] ", "[3] "}));
    EXPECT_EQ(inst.bytes("run/record.txt"), simulatorRecord(out));
    // The walk has found the window's entry there.
    EXPECT_EQ(inst.lines("Config/AccpMsgs.dat").size(), 3);
    // The dialog's test, then every run of Brindle, dialled with the prefix set there.
    const QByteArray line = inst.bytes("run/transcript.txt");
    EXPECT_GE(line.count(">> ATDT9,01632960000<CR>"), 2);
    EXPECT_EQ(line.count(">> ATDT"), line.count(">> ATDT9,01632960000<CR>"));
    EXPECT_TRUE(walk.showAcceptedMessages()) << walk.error().toStdString();
    walk.mainForm()->close();
}

TEST(DeliveryEndToEnd, ACrashedRunsEntriesGoFirstInTheNextRun) {
    // The first two dials find the line busy; with one retry Brindle gives up.
    Installed inst;
    ASSERT_TRUE(inst.ok() && inst.simulate({"--faulty-dials", "2", "--busy"}))
        << inst.log().toStdString();
    inst.setBrindleConfigLine(22, "1");
    ScriptedMessageBox boxes;
    DemoWalk walk(inst.root(), inst.root() + "/shots");
    ASSERT_TRUE(walk.startClient());
    ASSERT_TRUE(walk.addRecipient("Ann Example", "07700900123"));
    ASSERT_TRUE(walk.composeAndSend("", "First message."));
    const DemoWalk::Controls c = walk.controls();
    const QString first = c.outbox->item(0)->text();
    boxes.clear();
    c.Command2->click();
    ASSERT_TRUE(DemoWalk::waitFor([&] { return !boxes.shown().isEmpty(); }, 120000));
    EXPECT_TRUE(boxes.last().text.startsWith("No modem detected on the selected port."));
    EXPECT_EQ(c.outbox->count(), 0) << "the crash clears the outbox";
    QStringList carried = inst.lines("NOM/UK/Cellnet/Config/Brindle.rcv");
    carried.removeAll(QString());
    EXPECT_EQ(carried, QStringList{first});
    EXPECT_EQ(inst.lines("StartNOM.cfg").last(), "START");

    // The line is free now: the next run sends the carried-over entry first.
    ASSERT_TRUE(walk.composeAndSend("", "Second message."));
    const QString second = c.outbox->item(0)->text();
    ASSERT_TRUE(walk.sendQueueAndWaitAccepted(120000)) << walk.error().toStdString();
    EXPECT_EQ(inst.bytes("run/record.txt"), simulatorRecord({first, second}));
    EXPECT_TRUE(walk.outboxStatesSeen().contains("Processing::" + second));
    EXPECT_EQ(inst.lines("StartNOM.cfg").last(), "COMPLETE");
    EXPECT_EQ(inst.lines("NOM/UK/Cellnet/Config/Brindle.rcv"), QStringList{QString()});
    walk.mainForm()->close();
}
