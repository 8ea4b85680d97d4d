#include "client/modem_setup/MainWindowLink.h"
#include "client/modem_setup/ui/frmModemDetected.h"
#include "client/settings/ClientSettings.h"
#include "common/ExchangeFiles.h"
#include "common/Registry.h"
#include "support/BoxLines.h"
#include "support/FakeSerialLine.h"
#include "support/WidgetTest.h"

namespace {
struct QuietMainWindow : MainWindowLink {
    void applyConnectionLayout(ConnectionType) override {}
    void setSendEnabled(bool) override {}
};

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
    // Buttons 2 Yes/No, default 2 Yes.
    EXPECT_EQ(boxLines(boxes),
              (QStringList{"Quorvel Warning|| Do you want to detect modem automatically "
                           "?|buttons 2, default 2",
                           "Quorvel Warning||Select a port to test the modem.",
                           "Quorvel Warning|stop|Empty Configuration File : Brindlemod.cfg"}));
}
