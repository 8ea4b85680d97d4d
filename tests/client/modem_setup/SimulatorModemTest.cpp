#include "client/modem_setup/ModemTester.h"
#include "common/ExchangeFiles.h"
#include "common/QSerialPortLine.h"
#include "support/ScriptedMessageBox.h"
#include "support/SmscsimProcess.h"
#include "support/TestInstallation.h"

#include <gtest/gtest.h>

// smscsim serving COM1 of the installation through a real port.
TEST(ModemTesterOnSimulator, TestModemDialsTheSimulatedMessageCentre) {
    TestInstallation inst;
    ScriptedMessageBox boxes;
    SmscsimProcess sim(SMSCSIM_PATH, {"--lifetime", "120"});
    ASSERT_FALSE(sim.pty.isEmpty());
    inst.writeBytes(ExchangeFiles::kComPorts, sim.pty.toLocal8Bit() + "\r\n");
    OutsideLine outside;
    QSerialPortLine line, brindlesLine;
    ModemTester tester(line, inst.appPath(), outside), other(brindlesLine, inst.appPath(), outside);
    tester.DetectModem();
    ASSERT_EQ(tester.state().selectedPort, 1) << tester.state().Label2.toStdString();
    tester.Command2_Click();
    EXPECT_EQ(tester.state().Label2, "Modem Test Successful");
    EXPECT_EQ(tester.statusWord(), "SUCCESS");
    // The port the dialog holds is nobody else's to take.
    other.DetectModem();
    EXPECT_EQ(other.state().lblModemMessage,
              "The port is currently being used by another application.");
    tester.release();
    EXPECT_TRUE(brindlesLine.open(sim.pty, {})) << "free once the dialog lets go";
    EXPECT_TRUE(boxes.shown().isEmpty());
}
