#include "client/modem_setup/ConnectionSettings.h"
#include "client/modem_setup/MainWindowLink.h"
#include "client/modem_setup/ModemTester.h"
#include "common/ExchangeFiles.h"
#include "common/Registry.h"
#include "common/Setting.h"
#include "support/FakeClock.h"
#include "support/FakeSerialLine.h"
#include "support/ScriptedMessageBox.h"
#include "support/TestInstallation.h"

#include <gtest/gtest.h>
#include <utility>

namespace {

struct RecordingMainWindow : MainWindowLink {
    QList<int> layouts;
    QList<bool> send;
    void applyConnectionLayout(int type) override { layouts << type; }
    void setSendEnabled(bool enabled) override { send << enabled; }
};

struct ConnectionSettingsTest : ::testing::Test {
    FakeClock clock;
    TestInstallation inst;
    ScriptedMessageBox boxes;
    FakeSerialLine line;
    OutsideLine outside;
    RecordingMainWindow mainWindow;
    ModemTester tester{line, inst.appPath(), outside};
    ConnectionSettings settings{inst.appPath(), tester, outside, mainWindow};

    void SetUp() override {
        Registry::CreateRegistryKey(Registry::kSettingsKey);
        Setting::write(Setting::OutDial, "-1");
        Setting::write(Setting::OutDialOption, "0");
    }
};

} // namespace

TEST(OutsideLine, KeysNumbersAndDialStrings) {
    for (int key = 0; key < 256; ++key)
        EXPECT_EQ(OutsideLine::acceptsKey(key), (key >= '0' && key <= '9') || key == 8) << key;
    const std::pair<QString, int> numbers[] = {{"9", 9},  {"09", 9},        {" 12 ", 12},
                                               {"", -1},  {"ab", -1},       {"-5", -1},
                                               {"7x", 7}, {"32767", 32767}, {"32768", -1}};
    for (const auto& [text, n] : numbers)
        EXPECT_EQ(OutsideLine::numberIn(text), n) << text.toStdString();
    OutsideLine o;
    EXPECT_EQ(o.dialString("0163"), "+0163");
    o.prefix = 9;
    EXPECT_EQ(o.dialString("0163"), "+0163");
    o.ticked = true;
    EXPECT_EQ(o.dialString("0163"), "9,0163");
    o.prefix = -1;
    EXPECT_EQ(o.dialString("0163"), "+0163") << "-1 with the option on dials no prefix";
}

TEST_F(ConnectionSettingsTest, OkChecksInOrderThenStoresWithTheirBlanks) {
    struct Case {
        int type;
        bool ticked;
        QString text;
        int storedPrefix;
        int port;
        ConnectionSettings::Ok ok;
        QString box;
        QString outDial, option;
        QByteArray portFile;
    } cases[] = {
        {2, true, "", 9, 1, ConnectionSettings::Ok::NoConnectionType, "Select a connection type",
         "-1", "0", "<missing>"},
        {0, true, " ", 9, 1, ConnectionSettings::Ok::PrefixMissing,
         "Enter prefix to dial an outside number.", "-1", "0", "<missing>"},
        {0, true, "9", -1, 2, ConnectionSettings::Ok::Closing, "", " 9", " 1", " 2 \r\n"},
        // Unticking keeps the stored prefix; only the option goes off.
        {0, false, "", 7, 4, ConnectionSettings::Ok::Closing, "", " 7", " 0", " 4 \r\n"},
        {-1, false, "", -1, 0, ConnectionSettings::Ok::Closing, "", "-1", " 0", "\r\n"},
    };
    for (const Case& c : cases) {
        inst.remove(ExchangeFiles::kPortFile);
        SetUp();
        boxes.clear();
        settings.ConnectionType = c.type;
        outside.ticked = c.ticked;
        outside.text = c.text;
        outside.prefix = c.storedPrefix;
        tester.clearSelection();
        if (c.port > 0)
            tester.Option1_Click(c.port);
        EXPECT_EQ(settings.Command1_Click(), c.ok);
        EXPECT_EQ(boxes.texts(), c.box.isEmpty() ? QStringList() : QStringList{c.box});
        if (!c.box.isEmpty()) {
            EXPECT_EQ(boxes.last().icon,
                      c.type == 2 ? MessageBox::Icon::Critical : MessageBox::Icon::None);
        }
        EXPECT_EQ(Setting::read(Setting::OutDial), c.outDial);
        EXPECT_EQ(Setting::read(Setting::OutDialOption), c.option);
        EXPECT_EQ(inst.bytes(ExchangeFiles::kPortFile), c.portFile);
    }
}

TEST_F(ConnectionSettingsTest, TheChoiceIsStoredAtOnceAndSwitchesBothWindows) {
    settings.ConnectionType = 0;
    inst.writeBytes(ExchangeFiles::kPortFile, " 2 \r\n");
    settings.Load();
    EXPECT_EQ(tester.state().selectedPort, 2);
    EXPECT_TRUE(boxes.shown().isEmpty()) << "loading is no activation";
    settings.optInternet_Click();
    EXPECT_EQ(Setting::read(Setting::ModemConn), "1");
    EXPECT_EQ(settings.ConnectionType, -1);
    EXPECT_FALSE(tester.state().modemControlsEnabled || tester.state().Command2Enabled ||
                 tester.state().portEnabled[0]);
    EXPECT_TRUE(tester.state().Command1Enabled);
    inst.writeBytes(ExchangeFiles::kPortFile, " 3 \r\n");
    settings.optModem_Click(true);
    EXPECT_EQ(Setting::read(Setting::ModemConn), "0");
    EXPECT_TRUE(tester.state().modemControlsEnabled && tester.state().Command3Enabled &&
                tester.state().portEnabled[3]);
    EXPECT_EQ(mainWindow.layouts, (QList<int>{0, -1, 0}));
    EXPECT_TRUE(boxes.shown().isEmpty()) << "a stored port asks nothing";

    // Unload: Modem without a port disables sending; the port file follows.
    tester.clearSelection();
    settings.Unload();
    EXPECT_EQ(boxes.texts(),
              QStringList{"No port selected. You will not be able to send any SMS messages."});
    EXPECT_EQ(boxes.last().icon, MessageBox::Icon::Critical);
    EXPECT_EQ(inst.bytes(ExchangeFiles::kPortFile), "\r\n");
    tester.Option1_Click(3);
    settings.Unload();
    EXPECT_EQ(mainWindow.send, (QList<bool>{false, true}));
    EXPECT_EQ(inst.bytes(ExchangeFiles::kPortFile), " 3 \r\n");
    EXPECT_FALSE(settings.noPort);
}

TEST_F(ConnectionSettingsTest, ShowingWithoutAPortOffersTheSearch) {
    const QString question = " Do you want to detect modem automatically ?";
    settings.ConnectionType = 2;
    settings.Activate();
    EXPECT_TRUE(settings.noPort);
    EXPECT_TRUE(boxes.shown().isEmpty());

    settings.noPort = false;
    Setting::write(Setting::OutDial, " 9");
    outside.prefix = 9;
    outside.savedOption = 1;
    inst.writeBytes(ExchangeFiles::kPortFile, " 0 \r\n");
    settings.ConnectionType = 0;
    boxes.answerNext(MessageBox::Answer::No);
    settings.Activate();
    EXPECT_EQ(boxes.texts(), QStringList{question});
    EXPECT_EQ(boxes.last().buttons, MessageBox::Buttons::YesNo);
    EXPECT_TRUE(settings.noPort);
    EXPECT_TRUE(outside.ticked);
    EXPECT_EQ(outside.text, "9");

    // Yes: the search dials every port with the prefix; nothing answers.
    boxes.clear();
    inst.remove(ExchangeFiles::kPortFile);
    boxes.answerNext(MessageBox::Answer::Yes);
    settings.Activate();
    EXPECT_EQ(line.writes().count("ATDT9,01632960000\r"), 4);
    EXPECT_EQ(settings.firstStartResult, 0);
    EXPECT_EQ(tester.state().selectedPort, 0) << "COM 4 left unchosen";
    EXPECT_FALSE(tester.state().busy);

    // The dialog goes while the search dials COM 1: no port, and no more dials.
    boxes.clear();
    boxes.answerNext(MessageBox::Answer::Yes);
    bool closed = false;
    clock.onWait([&](qint64) {
        if (!std::exchange(closed, true))
            settings.Unload();
    });
    settings.Activate();
    clock.onWait({});
    EXPECT_TRUE(settings.noPort);
    EXPECT_EQ(line.writes().count("ATDT9,01632960000\r"), 5);
    EXPECT_FALSE(line.isOpen());
    EXPECT_EQ(boxes.texts(), QStringList{question});

    boxes.clear();
    settings.optInternet_Click();
    settings.Activate();
    EXPECT_TRUE(boxes.shown().isEmpty()) << "Internet asks nothing";
}
