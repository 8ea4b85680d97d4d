#include "client/modem_setup/ConnectionSettings.h"
#include "client/modem_setup/MainWindowLink.h"
#include "client/modem_setup/ModemTester.h"
#include "common/ComPorts.h"
#include "common/ExchangeFiles.h"
#include "common/Registry.h"
#include "common/Setting.h"
#include "support/BoxLines.h"
#include "support/FakeClock.h"
#include "support/FakeSerialLine.h"
#include "support/LineBytes.h"
#include "support/SimulatedModemManager.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <gtest/gtest.h>
#include <utility>

using Failure = SerialLine::OpenFailure;

namespace {
// A scripted line behind the four ports, where a device may refuse to open.
class ModemLine : public FakeSerialLine {
public:
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

private:
    QMap<QString, OpenFailure> m_refused;
    OpenFailure m_failure = OpenFailure::None;
};

const QString kNoDialtone = "No Dialtone Detected. Please check if modem is connected to a "
                            "phoneline. You will not be able to send messages from the application";
const QString kUndetermined =
    "Undetermined Error Detected. Please restart and use an alternative COM port";
const QString kInUse = "The port is currently being used by another application.";
const QString kNoPrefix = "Enter prefix to dial an outside number.";
const QString kBadPrefix = "Enter a prefix from 0 to 32767 to dial an outside number.";

std::string shown(const ModemDialogState& s) {
    return (s.headline + " | " + s.explanation + " | " + s.hint).toStdString();
}

struct RecordingMainWindow : MainWindowLink {
    QList<int> layouts;
    QList<bool> send;
    void applyConnectionLayout(ConnectionType type) override { layouts << int(type); }
    void setSendEnabled(bool enabled) override { send << enabled; }
};

// The connection dialog's logic on a scripted line; the main window records
// what it is told.
struct ModemSetupTest : ::testing::Test {
    FakeClock clock;
    TestInstallation inst;
    ModemLine line;
    OutsideLine outside;
    RecordingMainWindow mainWindow;
    ModemTester tester{line, inst.appPath(), outside};
    ConnectionSettings settings{inst.appPath(), tester, outside, mainWindow};
    // What the tester said mid-sequence and Unload told, in order, each with
    // the number of commands written by then.
    QStringList said;
    const ConnectionSettings::Tell tell = [this](const Notice& n) {
        said << boxLine(n) + " @" + QString::number(line.writes().size());
    };

    ModemSetupTest() { QObject::connect(&tester, &ModemTester::said, &tester, tell); }
    void SetUp() override {
        Registry::CreateRegistryKey(Registry::kSettingsKey);
        Setting::write(Setting::OutDial, "-1");
        Setting::write(Setting::OutDialOption, "0");
    }
    QString device(int port) const { return ComPorts::devicePath(inst.appPath(), port); }
    std::string texts() const { return shown(tester.state()); }
};

} // namespace

TEST_F(ModemSetupTest, OkChecksInOrderThenStoresWithTheirBlanks) {
    using Ok = ConnectionSettings::Ok;
    // Type, ticked, prefix text, stored prefix, port; what Ok says, and stores.
    const std::tuple<int, bool, QString, int, int, Ok, QString, QString, QString, QByteArray>
        cases[] = {
            {2, true, "", 9, 1, Ok::NoConnectionType, "Select a connection type", "-1", "0",
             "<missing>"},
            {0, true, " ", 9, 1, Ok::PrefixMissing, kNoPrefix, "-1", "0", "<missing>"},
            // Dialled without the prefix while the box shows one: refused.
            {0, true, "32768", 9, 1, Ok::PrefixMissing, kBadPrefix, "-1", "0", "<missing>"},
            {0, true, "9a", 9, 1, Ok::PrefixMissing, kBadPrefix, "-1", "0", "<missing>"},
            {0, true, " 32767 ", -1, 1, Ok::Closing, "", " 32767", " 1", " 1 \r\n"},
            {0, true, "9", -1, 2, Ok::Closing, "", " 9", " 1", " 2 \r\n"},
            // Unticking keeps the stored prefix; only the option goes off.
            {0, false, "", 7, 4, Ok::Closing, "", " 7", " 0", " 4 \r\n"},
            {-1, false, "", -1, 0, Ok::Closing, "", "-1", " 0", "\r\n"},
        };
    for (const auto& [type, ticked, text, storedPrefix, port, ok, box, outDial, option, portFile] :
         cases) {
        inst.remove(ExchangeFiles::kPortFile);
        SetUp();
        settings.connection = static_cast<ConnectionType>(type);
        outside.ticked = ticked;
        outside.text = text;
        outside.prefix = storedPrefix;
        tester.clearSelection();
        if (port > 0)
            tester.switchToPort(port);
        const auto [result, notice] = settings.okClicked();
        EXPECT_EQ(result, ok);
        EXPECT_EQ(boxLine(notice), box.isEmpty() ? ""
                                   : type == 2   ? "Quorvel Warning|stop|" + box
                                                 : "Quorvel Warning||" + box);
        EXPECT_EQ(Setting::read(Setting::OutDial), outDial);
        EXPECT_EQ(Setting::read(Setting::OutDialOption), option);
        EXPECT_EQ(inst.bytes(ExchangeFiles::kPortFile), portFile);
    }
}

TEST_F(ModemSetupTest, TheChoiceIsStoredAtOnceAndSwitchesBothWindows) {
    settings.connection = ConnectionType::Modem;
    inst.writeBytes(ExchangeFiles::kPortFile, " 2 \r\n");
    settings.Load();
    EXPECT_EQ(tester.state().selectedPort, 2);
    settings.internetChosen();
    EXPECT_EQ(Setting::read(Setting::ModemConn), "1");
    EXPECT_EQ(settings.connection, ConnectionType::InternetChosenNow);
    EXPECT_FALSE(tester.state().modemControlsEnabled || tester.state().testEnabled ||
                 tester.state().portEnabled[0]);
    EXPECT_TRUE(tester.state().okEnabled);
    inst.writeBytes(ExchangeFiles::kPortFile, " 3 \r\n");
    EXPECT_EQ(settings.modemChosen(true), std::nullopt) << "a stored port asks nothing";
    EXPECT_EQ(Setting::read(Setting::ModemConn), "0");
    EXPECT_TRUE(tester.state().modemControlsEnabled && tester.state().autoDetectEnabled &&
                tester.state().portEnabled[3]);
    EXPECT_EQ(mainWindow.layouts, (QList<int>{0, -1, 0}));

    // Unload: Modem without a port disables sending; the port file follows.
    tester.clearSelection();
    settings.Unload(tell);
    EXPECT_EQ(said, QStringList{"Quorvel Warning|stop|No port selected. You will not be able to "
                                "send any SMS messages. @0"});
    EXPECT_EQ(inst.bytes(ExchangeFiles::kPortFile), "\r\n");
    tester.switchToPort(3);
    settings.Unload(tell);
    EXPECT_EQ(mainWindow.send, (QList<bool>{false, true}));
    EXPECT_EQ(inst.bytes(ExchangeFiles::kPortFile), " 3 \r\n");
    EXPECT_FALSE(settings.noPort);

    // A port file that cannot be written is said, and sending stays off.
    inst.remove(ExchangeFiles::kPortFile);
    ASSERT_TRUE(QDir().mkpath(inst.file(ExchangeFiles::kPortFile)));
    said.clear();
    settings.Unload(tell);
    EXPECT_EQ(said, QStringList{"Quorvel Warning|stop|The port could not be saved in "
                                "Config\\Port.cfg. You will not be able to send any SMS "
                                "messages. @0"});
    EXPECT_EQ(mainWindow.send.last(), false);
    EXPECT_TRUE(settings.noPort);
}

TEST_F(ModemSetupTest, ShowingWithoutAPortOffersTheSearch) {
    const QString question =
        "Quorvel Warning|| Do you want to detect modem automatically ?|Yes/No*";
    settings.connection = ConnectionType::NotChosen;
    EXPECT_EQ(settings.Activate(), std::nullopt);
    EXPECT_TRUE(settings.noPort);

    settings.noPort = false;
    Setting::write(Setting::OutDial, " 9");
    outside.prefix = 9;
    outside.savedOption = 1;
    inst.writeBytes(ExchangeFiles::kPortFile, " 0 \r\n");
    settings.connection = ConnectionType::Modem;
    EXPECT_EQ(boxLine(settings.Activate()), question);
    settings.searchAnswered(false);
    EXPECT_TRUE(settings.noPort);
    EXPECT_TRUE(outside.ticked);
    EXPECT_EQ(outside.text, "9");

    // Yes: the search dials every port with the prefix; nothing answers.
    inst.remove(ExchangeFiles::kPortFile);
    EXPECT_EQ(boxLine(settings.Activate()), question);
    settings.searchAnswered(true);
    EXPECT_EQ(line.writes().count("ATDT9,01632960000\r"), 4);
    EXPECT_EQ(settings.firstStartResult, 0);
    EXPECT_EQ(tester.state().selectedPort, 0) << "COM 4 left unchosen";
    EXPECT_FALSE(tester.state().busy);

    // The dialog goes while the search dials COM 1: no port, and no more dials.
    bool closed = false;
    clock.onWait([&](qint64) {
        if (!std::exchange(closed, true))
            settings.Unload(tell);
    });
    EXPECT_EQ(boxLine(settings.Activate()), question);
    settings.searchAnswered(true);
    clock.onWait({});
    EXPECT_TRUE(settings.noPort);
    EXPECT_EQ(line.writes().count("ATDT9,01632960000\r"), 5);
    EXPECT_FALSE(line.isOpen());
    EXPECT_TRUE(said.isEmpty());

    settings.internetChosen();
    EXPECT_EQ(settings.Activate(), std::nullopt) << "Internet asks nothing";
}

TEST_F(ModemSetupTest, DetectionEnablesThePortsThatOpenAndChoosesTheLowest) {
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
        EXPECT_EQ(s.testEnabled && s.autoDetectEnabled, selected > 0);
        EXPECT_FALSE(fresh.opened.contains(QString())) << "a blank line never opens";
        EXPECT_FALSE(fresh.isOpen());
        EXPECT_TRUE(fresh.writes().isEmpty()) << "detection sends nothing";
    }
}

TEST_F(ModemSetupTest, TestModemDialsAndReportsByTheModemsAnswer) {
    const std::tuple<bool, QString, QByteArray, QByteArray, QString> cases[] = {
        {false, "9", "ATDT+01632960000\r\r\nCONNECT 9600\r\n", "ATDT+01632960000\r", "SUCCESS"},
        {true, "09", "\r\nCONNECT\r\n", "ATDT9,01632960000\r", "SUCCESS"},
        {true, " 9 ", "\r\nNO DIALTONE\r\n", "ATDT9,01632960000\r", "NO DIALTONE"},
        // Not what the dialog waits for: the full minute, then the undetermined error.
        {false, "", "\r\nBUSY\r\n", "ATDT+01632960000\r", "UNDETERMIND ERROR"},
        {false, "", "\r\nCONNEC", "ATDT+01632960000\r", "UNDETERMIND ERROR"},
    };
    tester.switchToPort(1);
    for (const auto& [ticked, prefix, answer, dial, status] : cases) {
        outside.ticked = ticked;
        outside.text = prefix;
        line.script("ATDT~" + readable(answer) + "@1500");
        const qint64 before = clock.monotonicMs();
        QStringList seenInWait;
        clock.onWait([&](qint64) {
            seenInWait << tester.state().explanation;
            // The chosen button again, and another: no click while the dial waits.
            EXPECT_TRUE(tester.state().dialPending);
            tester.choosePort(1);
            tester.choosePort(2);
        });
        const auto [press, refusal] = tester.testModemClicked();
        EXPECT_EQ(press, ModemTester::Press::Ran);
        EXPECT_EQ(refusal, std::nullopt);
        EXPECT_EQ(line.writes().last(), dial);
        EXPECT_EQ(tester.statusWord(), status);
        const QString report =
            status == "SUCCESS"       ? "Modem Test Successful | Data Returned from Modem | "
            : status == "NO DIALTONE" ? "Modem Test Failed | " + kNoDialtone + " | "
                                      : "Modem Test Failed | " + kUndetermined + " | ";
        EXPECT_EQ(texts(), report.toStdString());
        EXPECT_EQ(clock.monotonicMs() - before >= 59000, status == "UNDETERMIND ERROR");
        EXPECT_TRUE(seenInWait.contains("Awaiting Return Data from Modem"));
        EXPECT_FALSE(tester.state().busy || tester.state().refreshEnabled);
        EXPECT_TRUE(tester.state().testEnabled && tester.state().autoDetectEnabled);
        EXPECT_TRUE(line.isOpen()) << "the call lasts until the port is closed";
        EXPECT_EQ(tester.state().selectedPort, 1);
        EXPECT_FALSE(tester.state().dialPending);
    }
    clock.onWait({});
    EXPECT_TRUE(said.isEmpty());
    // A wait that never looks keeps the status word.
    EXPECT_TRUE(tester.AwaitMultiString("ATDT1\r", "", "", "", "", 60));
    EXPECT_FALSE(tester.AwaitMultiString("", "X", "Y", "", "", 0));
    EXPECT_EQ(tester.statusWord(), "UNDETERMIND ERROR");
    tester.release();
    EXPECT_FALSE(line.isOpen());
}

TEST_F(ModemSetupTest, RefusedPressesThePortInUseAndAShortConfiguration) {
    using Press = ModemTester::Press;
    const auto refused = [](const WithNotice<Press>& p) {
        return QString::number(int(p.value)) + ' ' + boxLine(p.notice);
    };
    outside.ticked = true;
    outside.text = "  ";
    EXPECT_EQ(refused(tester.testModemClicked()), "1 Quorvel Warning||" + kNoPrefix);
    outside.text = "99999";
    EXPECT_EQ(refused(tester.autoDetectClicked()), "1 Quorvel Warning||" + kBadPrefix);
    outside.ticked = false;
    EXPECT_EQ(refused(tester.testModemClicked()),
              "2 Quorvel Warning||Select a port to test the modem.");

    // Another program holds the port: nothing is sent, the wait runs out,
    // and the report names the cause once.
    line.refuse(device(2), Failure::InUse);
    tester.switchToPort(2);
    tester.testModemClicked();
    EXPECT_TRUE(line.writes().isEmpty());
    EXPECT_EQ(tester.state().explanation, kInUse);
    line.refuse(device(2), Failure::None);
    tester.testModemClicked();
    EXPECT_EQ(tester.state().explanation, kUndetermined);

    inst.writeBytes(ExchangeFiles::kConfig, "SMSC Number\r\n");
    tester.testModemClicked();
    EXPECT_EQ(line.writes().last(), "ATDT+\r");
    // A hand-edited file with a runaway line is refused, not dialled.
    inst.writeBytes(ExchangeFiles::kConfig, "\r\n" + QByteArray(5000, '1') + "\r\n");
    tester.testModemClicked();
    EXPECT_EQ(line.writes().last(), "ATDT+\r");
    // Each said before its dial goes out.
    EXPECT_EQ(
        said,
        (QStringList{"Quorvel Warning|stop|Empty Configuration File : Brindlemod.cfg @1",
                     "Quorvel Warning|stop|Brindle.cfg line 2 is too long : 5000 characters @2"}));
}

TEST_F(ModemSetupTest, AutoDetectStopsAtTheFirstPortThatConnects) {
    line.refuse(device(1), Failure::NoDevice);
    line.script("ATDT~<CR><LF>NO DIALTONE<CR><LF>@1500 | ATDT~<CR><LF>CONNECT<CR><LF>@1500");
    tester.DetectModem();
    ASSERT_FALSE(tester.state().portEnabled[0]);
    EXPECT_EQ(tester.autoDetectClicked().value, ModemTester::Press::Ran);
    EXPECT_EQ(line.opened.mid(3), (QStringList{device(2), device(3)})) << "COM4 is never tried";
    EXPECT_EQ(line.writes(), (QByteArrayList{"ATDT+01632960000\r", "ATDT+01632960000\r"}));
    const ModemDialogState& s = tester.state();
    EXPECT_EQ(s.selectedPort, 3);
    EXPECT_EQ(texts(), "Modem Test Successful | Data Returned from Modem | ");
    EXPECT_FALSE(s.autoDetectEnabled || s.busy);
    EXPECT_TRUE(s.okEnabled && s.testEnabled);
    EXPECT_EQ(s.portEnabled, (std::array<bool, 4>{true, true, true, true}));
    EXPECT_EQ(mainWindow.send, (QList<bool>{true, true}));
    EXPECT_TRUE(line.isOpen());

    // Nothing connects; COM4's report takes the pending message.
    line.refuse(device(4), Failure::InUse);
    tester.autoDetectClicked();
    EXPECT_EQ(texts(), ("Modem Test Failed | " + kNoDialtone + " | ").toStdString());
    EXPECT_EQ(tester.state().selectedPort, 4);
    // The dialog closing mid-search: ShowingWithoutAPortOffersTheSearch.
}

// The simulated ModemManager on a bus of its own: its modem is written on the
// first blank port line, the port of its device held, and Test Modem asks it.
TEST_F(ModemSetupTest, RefreshNamesTheMobileModemAndTestModemAsksModemManager) {
    const QString held = inst.root() + "/modem-link";
    ASSERT_TRUE(QFile::link("/dev/ttySIM0", held));
    const QByteArray ports = device(1).toLocal8Bit() + "\r\n" + held.toLocal8Bit() + "\r\n";
    inst.writeBytes(ExchangeFiles::kComPorts, ports + " \r\n\r\n");
    {
        SimulatedModemManager mm(SMSCSIM_PATH, {"--lifetime", "120"});
        ASSERT_FALSE(mm.address.isEmpty()) << "dbus-daemon did not start: install the dbus package";
        tester.useModemManager(MobileModems(10000, mm.connect()));
        tester.DetectModem();
        EXPECT_EQ(inst.bytes(ExchangeFiles::kComPorts), ports + "mm:490154203237518\r\n\r\n");
        const ModemDialogState& s = tester.state();
        EXPECT_EQ(s.portEnabled, (std::array<bool, 4>{true, false, true, false}));
        EXPECT_EQ(s.portTips[1], "held by ModemManager");
        EXPECT_EQ(s.portTips[2], "Quorvel Simulated LTE modem, Simnet");
        EXPECT_EQ(line.opened, QStringList{device(1)}) << "a held device is never opened";
        tester.switchToPort(2); // chosen before ModemManager took it
        tester.TestModem();
        EXPECT_EQ(texts(), "Modem Test Failed | ModemManager holds this port's modem. Please press "
                           "Refresh and choose the mobile modem's own port. | ");
        EXPECT_EQ(line.opened, QStringList{device(1)});

        tester.switchToPort(3);
        tester.TestModem();
        EXPECT_EQ(texts(), "Modem Test Successful | Mobile modem on Simnet, signal 80 %. | ");
        // The search passes the held port by and takes the mobile modem like a found modem.
        line.script("ATDT~<CR><LF>NO DIALTONE<CR><LF>@1500");
        tester.autoDetectClicked();
        EXPECT_EQ(tester.state().selectedPort, 3);
        EXPECT_EQ(texts(), "Modem Test Successful | Mobile modem on Simnet, signal 80 %. | ");
        EXPECT_EQ(line.writes(), QByteArrayList{"ATDT+01632960000\r"}) << "only COM1 dialled";
        EXPECT_FALSE(tester.state().portEnabled[1]);
    }
    SimulatedModemManager mm(SMSCSIM_PATH, {"--mm-not-registered", "--lifetime", "120"});
    // The dialog opened again: the buttons say what ModemManager holds before any Refresh.
    ModemTester opened(line, inst.appPath(), outside);
    opened.useModemManager(MobileModems(10000, mm.connect()));
    EXPECT_EQ(opened.state().portTips[2],
              "Mobile modem 490154203237518 (line 3 of Config/ComPorts.cfg)");
    opened.markMobilePorts();
    EXPECT_EQ(opened.state().portTips[2], "Quorvel Simulated LTE modem");
    EXPECT_EQ(opened.state().portEnabled, (std::array<bool, 4>{true, false, true, true}));
    tester.useModemManager(MobileModems(10000, mm.connect()));
    tester.TestModem();
    EXPECT_EQ(texts(), "Modem Test Failed | Mobile modem is not registered on a network. Please "
                       "check the SIM card and the signal. | ");

    // No blank line among 1 to 4: the user's lines stay, and the hint says what to do.
    const QByteArray full = "/dev/null\r\n/dev/null\r\n/dev/null\r\n/dev/null\r\n";
    inst.writeBytes(ExchangeFiles::kComPorts, full);
    tester.DetectModem();
    EXPECT_EQ(inst.bytes(ExchangeFiles::kComPorts), full);
    EXPECT_EQ(tester.state().hint,
              "The mobile modem Quorvel Simulated LTE modem has no COM port: lines 1 to 4 of "
              "Config/ComPorts.cfg all name devices. Clear one of them and press Refresh.");
}
