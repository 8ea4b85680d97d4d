#include "client/modem_setup/ModemTester.h"
#include "common/ComPorts.h"
#include "common/ExchangeFiles.h"
#include "support/FakeClock.h"
#include "support/FakeSerialLine.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <QMap>
#include <QTimer>
#include <gtest/gtest.h>

using Failure = SerialLine::OpenFailure;

namespace {

// A scripted line behind the four ports: a device may refuse to open, and the
// modem answers a dial with what `answerDial` gives for the device dialled.
class ModemLine : public FakeSerialLine {
public:
    static constexpr qint64 kAnswerMs = 1500;

    std::function<QByteArray(const QString& device)> answerDial;
    // Every device opened, in order.
    QStringList opened;

    void refuse(const QString& device, OpenFailure why) { m_refused[device] = why; }

    bool open(const QString& device, const LineSettings& settings) override {
        m_failure = m_refused.value(device, OpenFailure::None);
        if (m_failure != OpenFailure::None)
            return false;
        opened << device;
        return FakeSerialLine::open(device, settings);
    }
    OpenFailure openFailure() const override { return m_failure; }
    void write(const QByteArray& bytes) override {
        FakeSerialLine::write(bytes);
        if (bytes.startsWith("ATDT") && answerDial)
            push(answerDial(device()), kAnswerMs);
    }

private:
    QMap<QString, OpenFailure> m_refused;
    OpenFailure m_failure = OpenFailure::None;
};

const QString kNoDialtone = "No Dialtone Detected. Please check if modem is connected to a "
                            "phoneline. You will not be able to send messages from the application";
const QString kUndetermined =
    "Undetermined Error Detected. Please restart and use an alternative COM port";
const QString kInUse = "The port is currently being used by another application.";

std::string shown(const ModemDialogState& s) {
    return (s.Label2 + " | " + s.Label3 + " | " + s.lblModemMessage).toStdString();
}

struct ModemTesterTest : ::testing::Test {
    FakeClock clock;
    TestInstallation inst;
    ScriptedMessageBox boxes;
    ModemLine line;
    OutsideLine outside;
    ModemTester tester{line, inst.appPath(), outside};
    QList<bool> sendButton;

    ModemTesterTest() {
        QObject::connect(&tester, &ModemTester::sendButtonEnabled,
                         [this](bool e) { sendButton << e; });
    }
    QString device(int port) const { return ComPorts::devicePath(inst.appPath(), port); }
    std::string texts() const { return shown(tester.state()); }
};

} // namespace

TEST_F(ModemTesterTest, DetectionEnablesThePortsThatOpenAndChoosesTheLowest) {
    const QString found = "Port Successfully Detected | Messages can be sent from Quorvel. You can "
                          "test the modem connectivity to the Messaging Centre by clicking on the "
                          "Test Modem button. | ";
    const QString none = "No Modem Detected | No Messages can be sent. Please check your port "
                         "setting and ensure that the modem is not currently in use | ";
    const QString since = "Since %1 ports have been detected, choose the port connected with modem "
                          "or select AUTO DETECT to detect the port connected with modem.";
    // Per port: o opens, n no device, p not the user's, u in use, b blank line.
    const std::tuple<const char*, int, QString> cases[] = {
        {"nnou", 3, found}, // a gap never leaves a disabled button chosen
        {"nobo", 2, found + since.arg(2)},
        {"oooo", 1, found + since.arg(4)},
        {"npbp", 0,
         none + "COM 2 is the device " + inst.root() + "/com2" +
             ", which you are not allowed to open. Ask for your user to be added to "
             "the dialout group, then log in again."},
        {"pubn", 0, none + kInUse},
    };
    const auto dev = [&](int n) { return inst.root() + "/com" + QString::number(n); };
    for (const auto& [ports, selected, shown] : cases) {
        QByteArray map;
        ModemLine fresh;
        ModemTester detector(fresh, inst.appPath(), outside);
        for (int i = 0; i < 4; ++i) {
            const char c = ports[i];
            map += c == 'b' ? QByteArray("\r\n") : dev(i + 1).toLocal8Bit() + "\r\n";
            fresh.refuse(dev(i + 1), c == 'n'   ? Failure::NoDevice
                                     : c == 'p' ? Failure::NotPermitted
                                     : c == 'u' ? Failure::InUse
                                                : Failure::None);
        }
        inst.writeBytes(ExchangeFiles::kComPorts, map);
        detector.DetectModem();
        const ModemDialogState& s = detector.state();
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(s.portEnabled[i], ports[i] == 'o') << ports << i;
        EXPECT_EQ(s.selectedPort, selected);
        EXPECT_EQ(::shown(s), shown.toStdString());
        EXPECT_EQ(s.Command2Enabled && s.Command3Enabled, selected > 0);
        EXPECT_FALSE(fresh.opened.contains(QString())) << "a blank line never opens";
        EXPECT_FALSE(fresh.isOpen());
        EXPECT_TRUE(fresh.writes().isEmpty()) << "detection sends nothing";
    }
}

TEST_F(ModemTesterTest, TestModemDialsAndReportsByTheModemsAnswer) {
    const std::tuple<bool, QString, QByteArray, QByteArray, QString> cases[] = {
        {false, "9", "ATDT+01632960000\r\r\nCONNECT 9600\r\n", "ATDT+01632960000\r", "SUCCESS"},
        {true, "09", "\r\nCONNECT\r\n", "ATDT9,01632960000\r", "SUCCESS"},
        {true, " 9 ", "\r\nNO DIALTONE\r\n", "ATDT9,01632960000\r", "NO DIALTONE"},
        // Not what the dialog waits for: the full minute, then the undetermined error.
        {false, "", "\r\nBUSY\r\n", "ATDT+01632960000\r", "UNDETERMIND ERROR"},
        {false, "", "\r\nERROR\r\n", "ATDT+01632960000\r", "UNDETERMIND ERROR"},
        {false, "", "\r\nCONNEC", "ATDT+01632960000\r", "UNDETERMIND ERROR"},
    };
    tester.Option1_Click(1);
    for (const auto& [ticked, prefix, answer, dial, status] : cases) {
        outside.ticked = ticked;
        outside.text = prefix;
        line.answerDial = [reply = answer](const QString&) { return reply; };
        const qint64 before = clock.monotonicMs();
        QStringList seenInWait;
        clock.onWait([&](qint64) { seenInWait << tester.state().Label3; });
        bool timerRan = false;
        QObject scope;
        QTimer::singleShot(0, &scope, [&] { timerRan = tester.state().busy; });
        EXPECT_EQ(tester.Command2_Click(), ModemTester::Press::Ran);
        EXPECT_EQ(line.writes().last(), dial);
        EXPECT_EQ(tester.statusWord(), status);
        const QString report =
            status == "SUCCESS"       ? "Modem Test Successful | Data Returned from Modem | "
            : status == "NO DIALTONE" ? "Modem Test Failed | " + kNoDialtone + " | "
                                      : "Modem Test Failed | " + kUndetermined + " | ";
        EXPECT_EQ(texts(), report.toStdString());
        EXPECT_EQ(clock.monotonicMs() - before >= 59000, status == "UNDETERMIND ERROR");
        EXPECT_TRUE(timerRan) << "events run during the wait";
        EXPECT_TRUE(seenInWait.contains("Awaiting Return Data from Modem"));
        EXPECT_FALSE(tester.state().busy || tester.state().butRefreshEnabled);
        EXPECT_TRUE(tester.state().Command2Enabled && tester.state().Command3Enabled);
        EXPECT_TRUE(line.isOpen()) << "the call lasts until the port is closed";
    }
    clock.onWait({});
    EXPECT_TRUE(boxes.shown().isEmpty());
    // A wait that never looks keeps the status word.
    EXPECT_TRUE(tester.AwaitMultiString("ATDT1\r", "", "", "", "", 60));
    EXPECT_FALSE(tester.AwaitMultiString("", "X", "Y", "", "", 0));
    EXPECT_EQ(tester.statusWord(), "UNDETERMIND ERROR");
    tester.release();
    EXPECT_FALSE(line.isOpen());
}

TEST_F(ModemTesterTest, RefusedPressesThePortInUseAndAShortConfiguration) {
    outside.ticked = true;
    outside.text = "  ";
    EXPECT_EQ(tester.Command2_Click(), ModemTester::Press::PrefixMissing);
    EXPECT_EQ(tester.Command3_Click(), ModemTester::Press::PrefixMissing);
    outside.ticked = false;
    EXPECT_EQ(tester.Command2_Click(), ModemTester::Press::NoPortSelected);
    EXPECT_EQ(boxes.texts(), (QStringList{"Enter prefix to dial an outside number.",
                                          "Enter prefix to dial an outside number.",
                                          "Select a port to test the modem."}));
    EXPECT_TRUE(boxes.lastIs("Quorvel Warning", MessageBox::Icon::None));

    // Another program holds the port: nothing is sent, the wait runs out,
    // and the report names the cause once.
    boxes.clear();
    line.refuse(device(2), Failure::InUse);
    tester.Option1_Click(2);
    tester.Command2_Click();
    EXPECT_TRUE(line.writes().isEmpty());
    EXPECT_EQ(tester.state().Label3, kInUse);
    line.refuse(device(2), Failure::None);
    tester.Command2_Click();
    EXPECT_EQ(tester.state().Label3, kUndetermined);

    inst.writeBytes(ExchangeFiles::kConfig, "SMSC Number\r\n");
    tester.Command2_Click();
    EXPECT_EQ(line.writes().last(), "ATDT+\r");
    // A hand-edited file with a runaway line is refused, not dialled.
    inst.writeBytes(ExchangeFiles::kConfig, "\r\n" + QByteArray(5000, '1') + "\r\n");
    tester.Command2_Click();
    EXPECT_EQ(line.writes().last(), "ATDT+\r");
    EXPECT_EQ(boxes.texts(), (QStringList{"Empty Configuration File : Brindlemod.cfg",
                                          "Brindle.cfg line 2 is too long : 5000 characters"}));
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Critical);
}

TEST_F(ModemTesterTest, AutoDetectStopsAtTheFirstPortThatConnects) {
    line.refuse(device(1), Failure::NoDevice);
    line.answerDial = [&](const QString& dialled) {
        return QByteArray(dialled == device(2) ? "\r\nNO DIALTONE\r\n" : "\r\nCONNECT\r\n");
    };
    tester.DetectModem();
    ASSERT_FALSE(tester.state().portEnabled[0]);
    EXPECT_EQ(tester.Command3_Click(), ModemTester::Press::Ran);
    EXPECT_EQ(line.opened.mid(3), (QStringList{device(2), device(3)})) << "COM4 is never tried";
    EXPECT_EQ(line.writes(), (QByteArrayList{"ATDT+01632960000\r", "ATDT+01632960000\r"}));
    const ModemDialogState& s = tester.state();
    EXPECT_EQ(s.selectedPort, 3);
    EXPECT_EQ(texts(), "Modem Test Successful | Data Returned from Modem | ");
    EXPECT_FALSE(s.Command3Enabled || s.busy);
    EXPECT_TRUE(s.Command1Enabled && s.Command2Enabled);
    EXPECT_EQ(s.portEnabled, (std::array<bool, 4>{true, true, true, true}));
    EXPECT_EQ(sendButton, (QList<bool>{true, true}));
    EXPECT_TRUE(line.isOpen());

    // Nothing connects; COM4's report takes the pending message.
    line.refuse(device(4), Failure::InUse);
    line.answerDial = {};
    tester.Command3_Click();
    EXPECT_EQ(texts(), ("Modem Test Failed | " + kNoDialtone + " | ").toStdString());
    EXPECT_EQ(tester.state().selectedPort, 4);
    // The dialog closing mid-search: ConnectionSettingsTest.
}
