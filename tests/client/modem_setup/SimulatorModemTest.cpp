#include "client/modem_setup/ModemTester.h"
#include "common/ExchangeFiles.h"
#include "common/QSerialPortLine.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {
// smscsim serving COM1 of the installation, with a transcript of the line.
struct Simulator {
    QProcess process;
    QString transcript;
    QString pty;
    explicit Simulator(const TestInstallation& inst) {
        transcript = inst.root() + "/transcript.txt";
        process.start(SMSCSIM_PATH, QStringList{"--transcript", transcript, "--lifetime", "120"});
        if (!process.waitForStarted(5000))
            return;
        while (!process.canReadLine() && process.waitForReadyRead(5000)) {
        }
        pty = QString::fromLocal8Bit(process.readLine().trimmed());
        inst.writeBytes(ExchangeFiles::kComPorts, pty.toLocal8Bit() + "\r\n");
    }
    ~Simulator() {
        process.kill();
        process.waitForFinished(5000);
    }
    QByteArray lineBytes() const {
        QFile f(transcript);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};
} // namespace

TEST(ModemTesterOnSimulator, TestModemDialsTheSimulatedMessageCentre) {
    TestInstallation inst;
    ScriptedMessageBox boxes;
    OutsideLine outside;
    QSerialPortLine line;
    ModemTester tester(line, inst.appPath(), outside);
    Simulator sim(inst);
    tester.DetectModem();
    ASSERT_EQ(tester.state().selectedPort, 1) << tester.state().Label2.toStdString();
    tester.Command2_Click();
    EXPECT_EQ(tester.state().Label2, "Modem Test Successful");
    EXPECT_EQ(tester.statusWord(), "SUCCESS");
    // The port the dialog holds is nobody else's to take.
    QSerialPortLine brindlesLine;
    ModemTester other(brindlesLine, inst.appPath(), outside);
    other.DetectModem();
    EXPECT_EQ(other.state().lblModemMessage,
              "The port is currently being used by another application.");
    tester.release();
    EXPECT_TRUE(brindlesLine.open(sim.pty, {})) << "free once the dialog lets go";
    EXPECT_TRUE(sim.lineBytes().contains(">> ATDT+01632960000<CR>")) << sim.lineBytes().data();
    EXPECT_TRUE(boxes.shown().isEmpty());
}
