// Brindle of an installed tree sending through the simulator playing
// ModemManager on a bus of its own.
#include "DemoWalk.h"
#include "client/shell/ui/MainForm.h"
#include "common/DeliveryReport.h"
#include "common/LineFile.h"
#include "mobile/MobileModems.h"
#include "support/Installed.h"
#include "support/ScriptedMessageBox.h"
#include "support/SimulatedModemManager.h"

#include <QListWidget>
#include <QProcess>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

const QString kOut = "NOM/UK/Cellnet/Config/Brindle.out";
const QString kCarried = "NOM/UK/Cellnet/Config/Brindle.rcv";

QStringList nonEmpty(QStringList lines) {
    lines.removeAll(QString());
    return lines;
}

// The simulated modem's record of what it sent: number with its '+', a tab, the text.
QByteArray mobileRecord(const QStringList& entries) {
    QByteArray out;
    for (const QString& e : entries) {
        const qsizetype plus = e.indexOf('+');
        const qsizetype blank = e.indexOf(' ', plus);
        out += e.mid(plus, blank - plus).toUtf8() + '\t' + e.mid(blank + 1).toUtf8() + '\n';
    }
    return out;
}

class MobileRun {
public:
    MobileRun() {
        reportWait(5);
        LineFile::rewrite(inst.file("Config/Port.cfg"), {" 1 "});
        LineFile::rewrite(inst.file("Config/ComPorts.cfg"), {"mm:490154203237518"});
    }
    void reportWait(int seconds) {
        QStringList cfg = inst.lines("NOM/UK/Cellnet/Config/Brindle.cfg.tuned");
        cfg << "DeliveryReports=1" << QStringLiteral("ReportWaitSeconds=%1").arg(seconds);
        LineFile::rewrite(inst.file("NOM/UK/Cellnet/Config/Brindle.cfg"), cfg);
    }
    // A new simulated modem with `faults`, on a bus of its own.
    bool modem(const QStringList& faults) {
        mm.reset();
        mm = std::make_unique<SimulatedModemManager>(
            inst.file("bin/smscsim"),
            QStringList{"--record", inst.file("record.txt"), "--lifetime", "300"} + faults);
        return !mm->address.isEmpty();
    }
    // Queues the next `count` entries and runs Brindle once on the modem.
    bool run(int count) {
        QStringList entries;
        for (int i = 0; i < count; ++i, ++m_next)
            entries << QStringLiteral("[%1] 07/12/2026 18:55:01 +4477009001%2 Größe %1 € [12] #")
                           .arg(m_next)
                           .arg(m_next, 2, 10, QChar('0'));
        queued += entries;
        LineFile::appendLines(inst.file("NOM/UK/Cellnet/Config/Brindle.in"), entries);
        QProcess brindle;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SYSTEM_BUS_ADDRESS", mm->address);
        brindle.setProcessEnvironment(env);
        brindle.setWorkingDirectory(inst.root());
        brindle.start(inst.file("NOM/UK/Cellnet/Brindle"), {});
        return brindle.waitForFinished(120000) && brindle.exitCode() == 0;
    }
    // Each entry queued so far is accepted or carried over, once, and the
    // modem sent exactly the accepted ones.
    void expectNothingLost() const {
        const QStringList out = nonEmpty(inst.lines(kOut));
        QStringList all = out + nonEmpty(inst.lines(kCarried));
        QStringList expected = queued;
        std::sort(all.begin(), all.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(all, expected);
        EXPECT_EQ(inst.bytes("record.txt"), mobileRecord(out));
    }

    Installed inst;
    std::unique_ptr<SimulatedModemManager> mm;
    QStringList queued;

private:
    int m_next = 1;
};

// The reports of a run that did not wait for them are found on the modem by the next run.
TEST(MobileEndToEnd, NineEntriesAreSentOnceAndTheirReportsRecorded) {
    MobileRun r;
    ASSERT_TRUE(r.inst.ok()) << r.inst.log().toStdString();
    ASSERT_TRUE(r.modem({"--mm-report-after", "1"})) << "no dbus-daemon: install the dbus package";
    r.reportWait(0);
    ASSERT_TRUE(r.run(4));
    const MobileModems modems(10000, r.mm->connect());
    ASSERT_TRUE(
        DemoWalk::waitFor([&] { return modems.reports(r.mm->modemPath).size() == 4; }, 30000));
    r.reportWait(5);
    ASSERT_TRUE(r.run(5));
    EXPECT_EQ(nonEmpty(r.inst.lines(kOut)), r.queued);
    r.expectNothingLost();
    QStringList reported;
    for (const QString& line : r.inst.lines("NOM/UK/Cellnet/Config/Brindle.dlv")) {
        const auto report = DeliveryReport::parse(line);
        ASSERT_TRUE(report && report->delivered) << line.toStdString();
        reported << report->key;
    }
    std::sort(reported.begin(), reported.end());
    EXPECT_EQ(reported,
              QStringList({"[1]", "[2]", "[3]", "[4]", "[5]", "[6]", "[7]", "[8]", "[9]"}));
    EXPECT_EQ(r.inst.lines("StartNOM.cfg").last(), "COMPLETE");
}

TEST(MobileEndToEnd, RejectedAndInterruptedSendsAreCarriedOverAndNothingIsLost) {
    MobileRun r;
    ASSERT_TRUE(r.inst.ok()) << r.inst.log().toStdString();
    ASSERT_TRUE(r.modem({"--mm-reject-every", "3", "--mm-no-report"}));
    ASSERT_TRUE(r.run(9));
    EXPECT_FALSE(nonEmpty(r.inst.lines(kCarried)).isEmpty());
    r.expectNothingLost();

    r.inst.setBrindleConfigLine(22, "1");
    ASSERT_TRUE(r.modem({"--mm-remove-after", "2", "--mm-no-report"}));
    ASSERT_TRUE(r.run(3));
    EXPECT_EQ(r.inst.lines("StartNOM.cfg").last(), "CRASH");
    r.expectNothingLost();
    const QByteArray log = r.inst.bytes("NOMMon/Logs/SMSC.log");
    EXPECT_TRUE(
        log.contains(" Message refused by the network : "
                     "org.freedesktop.ModemManager1.Error.Message.NetworkTimeout : [3]\r\n"));
    EXPECT_TRUE(log.contains(" Mobile modem gone while sending: the message may have been sent; "
                             "it will be sent again : org.freedesktop.ModemManager1.Error.Core."
                             "Aborted : [8]\r\n"));
}

// A user picks the simulated modem in the connection settings and sees the
// message delivered, as the demo walks it.
TEST(MobileEndToEnd, AMessageSentFromTheClientIsShownDelivered) {
    MobileRun r;
    ASSERT_TRUE(r.inst.ok() && r.inst.simulate({})) << r.inst.log().toStdString();
    ASSERT_TRUE(r.modem({"--mm-report-after", "1"}));
    // Before the client asks for the system bus: Qt keeps the first one a process opens.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", r.mm->address.toUtf8());
    ScriptedMessageBox boxes;
    DemoWalk walk(r.inst.root(), r.inst.root() + "/shots");
    ASSERT_TRUE(walk.startClient()) << walk.error().toStdString();
    ASSERT_TRUE(walk.setUpMobileModem(30000)) << walk.error().toStdString();
    EXPECT_EQ(walk.mobileModemSeen(), QStringList({"Quorvel Simulated LTE modem, Simnet",
                                                   "Mobile modem on Simnet, signal 80 %."}));
    EXPECT_EQ(r.inst.lines("Config/Port.cfg"), QStringList{" 2 "});
    ASSERT_TRUE(walk.addRecipient("Ann Example", "07700900123"));
    ASSERT_TRUE(walk.composeAndSend("", "Meet at ten."));
    const QString entry = walk.controls().outbox->item(0)->text();
    ASSERT_TRUE(walk.sendQueueAndWaitAccepted(60000)) << walk.error().toStdString();
    EXPECT_EQ(r.inst.bytes("record.txt"), mobileRecord({entry}));
    EXPECT_TRUE(walk.showDelivered({entry}, 30000)) << walk.error().toStdString();
    walk.mainForm()->close();
}

} // namespace
