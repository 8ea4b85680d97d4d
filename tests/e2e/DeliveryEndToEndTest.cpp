// The whole modem road: the real client logic and windows, the installed
// Brindle started by the client's poll, and the message-centre simulator on a
// pseudo-terminal.
#include "DemoWalk.h"
#include "InstalledTree.h"

#include "client/shell/ui/MainForm.h"
#include "common/LineFile.h"
#include "common/Registry.h"
#include "support/QtPrinters.h"
#include "support/ScriptedMessageBox.h"
#include "support/SimRecord.h"
#include "support/SmscsimProcess.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// Runs a test inside the installed tree: current folder, settings store and
// COM1 pointing at the simulator; the modem connection on COM1 is stored
// unless the test sets it up through the connection settings.
class Installed {
public:
    explicit Installed(const QStringList& simOptions, bool storeConnection = true) {
        if (!tree.ok())
            return;
        m_oldCwd = QDir::currentPath();
        QDir::setCurrent(tree.root());
        m_oldRegistry = qgetenv("QUORVEL_REGISTRY");
        qputenv("QUORVEL_REGISTRY", QFile::encodeName(tree.root() + "/registry.ini"));
        Registry::CreateRegistryKey(Registry::kSettingsKey);
        if (storeConnection)
            Registry::writeSetting("MODEM_CONN", "0");
        QDir().mkpath(file("run"));
        sim = std::make_unique<SmscsimProcess>(
            file("bin/smscsim"), QStringList{"--record", file("run/record.txt"), "--transcript",
                                             file("run/transcript.txt"), "--lifetime", "600"} +
                                     simOptions);
        if (sim->pty.isEmpty())
            return;
        if (storeConnection)
            LineFile::rewrite(tree.root() + "/Config/Port.cfg", {" 1 "});
        LineFile::rewrite(tree.root() + "/Config/ComPorts.cfg", {sim->pty});
        m_ready = true;
    }
    ~Installed() {
        if (!m_oldCwd.isEmpty())
            QDir::setCurrent(m_oldCwd);
        qputenv("QUORVEL_REGISTRY", m_oldRegistry);
    }
    bool ready() const { return m_ready; }
    QString file(const QString& rel) const { return tree.root() + "/" + rel; }
    QStringList lines(const QString& rel) const { return LineFile::readAll(file(rel)); }
    void setBrindleConfigLine(int n, const QString& value) {
        QStringList l = lines("NOM/UK/Cellnet/Config/Brindle.cfg");
        l[n - 1] = value;
        LineFile::rewrite(file("NOM/UK/Cellnet/Config/Brindle.cfg"), l);
    }

    InstalledTree tree;
    std::unique_ptr<SmscsimProcess> sim;

private:
    QString m_oldCwd;
    QByteArray m_oldRegistry;
    bool m_ready = false;
};

// quorvel-send of the installed tree (its settings store in the environment
// Installed set), run from a folder of its own.
struct SendRun {
    explicit SendRun(const Installed& inst, const QStringList& args) {
        QDir().mkpath(inst.file("elsewhere"));
        p.setWorkingDirectory(inst.file("elsewhere"));
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

// The call drops after the first message, and the modem, back in command
// state, echoes what is sent to it: a text holding the centre's own answers is
// taken neither for an acceptance nor for a rejection, and each arrives once.
TEST(SendEndToEnd, AMessageToThreeNumbersOnADroppedEchoingLineIsAcceptedOnce) {
    Installed inst({"--drop-after", "1"});
    ASSERT_TRUE(inst.ready()) << inst.tree.log().toStdString();
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
    EXPECT_EQ(inst.tree.bytes("run/record.txt"), simulatorRecord(sent));
    EXPECT_EQ(inst.lines("NOMMon/Logs/SMSC.log").filter(" Connection to SMSC lost").size(), 1);
    EXPECT_EQ(run.out, prefixed("Queued: ", sent) + prefixed("Accepted::", sent));
    EXPECT_EQ(inst.lines("Config/AccpMsgs.dat"), prefixed("Accepted::", sent));
    // Brindle served this installation although the command ran elsewhere.
    EXPECT_EQ(inst.lines("AppPath.cfg"), QStringList{inst.tree.root() + "/"});
}

TEST(SendEndToEnd, ABusyLineCarriesTheEntriesOverAndExitsTwo) {
    Installed inst({"--busy"});
    ASSERT_TRUE(inst.ready()) << inst.tree.log().toStdString();
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

// A new user sets the modem up and sends from the window while a script
// queues at the same moment: ids from the one counter, one run at a time,
// every entry sent and accepted once.
TEST(DeliveryEndToEnd, ASentMessageTravelsToAcceptedAndIntoTheAcceptedView) {
    Installed inst({}, false);
    ASSERT_TRUE(inst.ready()) << inst.tree.log().toStdString();
    ScriptedMessageBox boxes;
    DemoWalk walk(inst.tree.root(), inst.tree.root() + "/shots");
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
    EXPECT_EQ(inst.tree.bytes("run/record.txt"), simulatorRecord(out));
    // The walk has found the window's entry there.
    EXPECT_EQ(inst.lines("Config/AccpMsgs.dat").size(), 3);
    // The dialog's test, then every run of Brindle, dialled with the prefix set there.
    const QByteArray line = inst.tree.bytes("run/transcript.txt");
    EXPECT_GE(line.count(">> ATDT9,01632960000<CR>"), 2);
    EXPECT_EQ(line.count(">> ATDT"), line.count(">> ATDT9,01632960000<CR>"));
    EXPECT_TRUE(walk.showAcceptedMessages()) << walk.error().toStdString();
    walk.mainForm()->close();
}

TEST(DeliveryEndToEnd, ACrashedRunsEntriesGoFirstInTheNextRun) {
    // The first two dials find the line busy; with one retry Brindle gives up.
    Installed inst({"--faulty-dials", "2", "--busy"});
    ASSERT_TRUE(inst.ready()) << inst.tree.log().toStdString();
    inst.setBrindleConfigLine(22, "1");
    ScriptedMessageBox boxes;
    DemoWalk walk(inst.tree.root(), inst.tree.root() + "/shots");
    ASSERT_TRUE(walk.startClient());
    ASSERT_TRUE(walk.addRecipient("Ann Example", "07700900123"));
    ASSERT_TRUE(walk.composeAndSend("", "First message."));
    const DemoWalk::Controls c = walk.controls();
    const QString first = c.outbox->item(0)->text();
    boxes.clear();
    c.Command2->click();
    ASSERT_TRUE(DemoWalk::waitFor([&] { return !boxes.shown().isEmpty(); }, 120000))
        << inst.lines("StartNOM.cfg").join('|').toStdString() << "\n"
        << inst.lines("NOMMon/Logs/SMSC.log").join('\n').toStdString();
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
    EXPECT_EQ(inst.tree.bytes("run/record.txt"), simulatorRecord({first, second}));
    EXPECT_TRUE(walk.outboxStatesSeen().contains("Processing::" + second));
    EXPECT_EQ(inst.lines("StartNOM.cfg").last(), "COMPLETE");
    EXPECT_EQ(inst.lines("NOM/UK/Cellnet/Config/Brindle.rcv"), QStringList{QString()});
    walk.mainForm()->close();
}
