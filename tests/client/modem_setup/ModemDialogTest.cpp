#include "client/modem_setup/MainWindowLink.h"
#include "client/modem_setup/ui/frmModemDetected.h"
#include "client/settings/ClientSettings.h"
#include "common/ExchangeFiles.h"
#include "common/Registry.h"
#include "support/FakeSerialLine.h"
#include "support/WidgetTest.h"

namespace {
struct QuietMainWindow : MainWindowLink {
    void applyConnectionLayout(ConnectionType) override {}
    void setSendEnabled(bool) override {}
};

// title|icon|text, and the buttons with the default when not a plain OK.
QStringList boxLines(const ScriptedMessageBox& boxes) {
    QStringList out;
    for (const MessageBox::Request& r : boxes.shown())
        out << QString("%1|%2|%3|%4/%5")
                   .arg(r.title)
                   .arg(int(r.icon))
                   .arg(r.text)
                   .arg(int(r.buttons))
                   .arg(int(r.defaultButton));
    return out;
}
} // namespace

// The dialog shows what its settings and tester say: the search's question
// (Yes its default), a refused press, and a configuration without a number
// met in the middle of the test.
TEST(ModemDialog, ShowsWhatItsLogicSays) {
    FakeClock clock;
    TestInstallation inst;
    ScriptedMessageBox boxes;
    Registry::CreateRegistryKey(Registry::kSettingsKey);
    ClientSettings settings = ClientSettings::loadWithDefaults();
    settings.connection = ConnectionType::Modem;
    QuietMainWindow mainWindow;
    FakeSerialLine line;
    inst.writeBytes(ExchangeFiles::kConfig, "SMSC Number\r\n");
    frmModemDetected d(settings, mainWindow, inst.appPath(), line);
    boxes.answerNext(MessageBox::Answer::No);
    d.activate();
    child<QPushButton>(d, "Command2")->click();
    child<QRadioButton>(d, "Option1_1")->click();
    child<QPushButton>(d, "Command2")->click();
    EXPECT_EQ(line.writes(), QByteArrayList{"ATDT+\r"});
    // Icons: 0 none, 3 critical; buttons 0 OK, 2 Yes/No; answers 0 OK, 2 Yes.
    EXPECT_EQ(boxLines(boxes),
              (QStringList{"Quorvel Warning|0| Do you want to detect modem automatically ?|2/2",
                           "Quorvel Warning|0|Select a port to test the modem.|0/0",
                           "Quorvel Warning|3|Empty Configuration File : Brindlemod.cfg|0/0"}));
}
