#include "support/AccessibilityWalk.h"
#include "client/composition/ui/QuickMessageDialog.h"
#include "client/composition/ui/SignatureDialog.h"
#include "client/internet/ServerStatus.h"
#include "client/internet/ui/frmStatus.h"
#include "client/modem_setup/MainWindowLink.h"
#include "client/modem_setup/ui/frmModemDetected.h"
#include "client/modem_setup/ui/frmWarning.h"
#include "client/outbox/MessageLists.h"
#include "client/outbox/ui/MessageListWindow.h"
#include "client/outbox/ui/frmDisplaySelMsgDetls.h"
#include "client/recipients/groups/GroupManager.h"
#include "client/recipients/ui/ContactsDialogs.h"
#include "client/recipients/ui/frmGroupAddNumber.h"
#include "client/recipients/ui/frmGroupName.h"
#include "client/recipients/ui/frmGroups.h"
#include "client/recipients/ui/frmOutlook.h"
#include "client/settings/ClientSettings.h"
#include "client/settings/ui/AboutBox.h"
#include "client/settings/ui/SplashWindow.h"
#include "client/shell/ui/MainForm.h"
#include "common/Registry.h"
#include "support/FakeSerialLine.h"
#include "support/WidgetTest.h"
#include "ui/QtMessageBoxPresenter.h"

namespace {

struct QuietMainWindow : MainWindowLink {
    void applyConnectionLayout(ConnectionType) override {}
    void setSendEnabled(bool) override {}
};

class AccessibilityWalkTest;
using Make = std::function<std::unique_ptr<QWidget>(AccessibilityWalkTest&)>;

// One window: how it is made, the order Tab walks it from its first control,
// whether Escape closes it, the button Enter presses, and what a screen
// reader says as it comes up.
struct Row {
    const char* window;
    Make make;
    QStringList tabOrder;
    bool escapeCloses = true;
    const char* enterPresses = nullptr;
    QString announced = {};
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.window;
}

class AccessibilityWalkTest : public WidgetTest, public ::testing::WithParamInterface<Row> {
public:
    QString appPath() const { return inst.appPath(); }
    ClientSettings settings = ClientSettings::loadWithDefaults();
    Installation installation{inst.root(), inst.root()};
    QuietMainWindow mainWindow;
    FakeSerialLine line;
    ServerStatus status;
    GroupManager groups{appPath(), {"Jane  +447700900123"}};
    bool warningOff = false;
    QListWidget schedulebox;
};

template <typename W, typename... Args> std::unique_ptr<QWidget> make(Args&&... args) {
    return std::make_unique<W>(std::forward<Args>(args)...);
}

const Row kWindows[] = {
    {"MainForm",
     [](AccessibilityWalkTest& t) {
         Registry::CreateRegistryKey(Registry::kSettingsKey);
         t.settings.connection = ConnectionType::Modem;
         auto f = std::make_unique<MainForm>(t.settings, t.installation);
         f->showOptionsWindow = [] { return true; };
         f->runConnectionDialog = [](frmModemDetected&) {};
         EXPECT_TRUE(f->load());
         return std::unique_ptr<QWidget>(std::move(f));
     },
     {"txtSubject",   "txtMessage",     "Combo1",   "picQuickMsg",  "Check2",
      "Picture10",    "Picture17",      "Picture5", "Option1",      "Command2",
      "cmdConfigure", "dtSchDate",      "txttime",  "imgSchedule",  "imgScheduledMessageQ",
      "outbox",       "Picture12",      "Picture1", "Picture9",     "Picture15",
      "List4",        "Picture7",       "Picture8", "optSelectAll", "Text1",
      "Text3",        "cmbCountryCode", "Picture4", "Picture16",    "Picture3",
      "Combo2",       "Picture18",      "Picture6", "Combo3",       "Picture19",
      "Picture2",     "picContact",     "Command3"},
     false},
    {"QuickMessageDialog",
     [](AccessibilityWalkTest& t) { return make<QuickMessageDialog>(t.settings, t.appPath()); },
     {"txtQuickMessage", "picAdd", "lstQuickMessage", "picClear", "cmdOk", "cmdCancel"},
     true,
     "cmdOk"},
    {"SignatureDialog",
     [](AccessibilityWalkTest& t) { return make<SignatureDialog>(t.settings, t.appPath()); },
     {"Text1", "chkPageInfo", "Command1", "Command2"},
     true,
     "Command1"},
    {"frmStatus",
     [](AccessibilityWalkTest& t) {
         auto w = make<frmStatus>(t.status, nullptr);
         // As the Internet delivery answers "Ok".
         QObject::connect(&t.status, &ServerStatus::okPressed, &t.status, &ServerStatus::close);
         t.status.ShowServerStatus("0:SMS message(s) accepted for processing.");
         return w;
     },
     {"cmdClose"},
     true,
     "cmdClose",
     "SMS message(s) accepted for processing."},
    {"MessageBox",
     [](AccessibilityWalkTest&) {
         return std::unique_ptr<QWidget>(QtMessageBoxPresenter::build(
             {"Are you sure you want to delete the selected Contact Number?", "Quorvel",
              MessageBox::Icon::Question, MessageBox::Buttons::YesNo, MessageBox::Answer::No},
             nullptr));
     },
     {"No", "Yes"},
     true,
     "No",
     "Are you sure you want to delete the selected Contact Number?"},
    {"frmModemDetected",
     [](AccessibilityWalkTest& t) {
         return make<frmModemDetected>(t.settings, t.mainWindow, t.appPath(), t.line);
     },
     {"optInternet", "txtMobile", "txtEmail", "chkOutsideNo", "Option1_1", "Command3", "Command2",
      "butRefresh", "Command1"},
     false},
    {"frmWarning",
     [](AccessibilityWalkTest& t) { return make<frmWarning>(t.settings); },
     {"chkShow", "cmdYes", "cmdNo"},
     true,
     "cmdYes"},
    {"MessageListWindow",
     [](AccessibilityWalkTest& t) {
         auto w = std::make_unique<MessageListWindow>(t.installation, "Accepted Messages",
                                                      MessageLists::kAcceptedFile, &t.schedulebox,
                                                      std::nullopt);
         w->activate();
         return std::unique_ptr<QWidget>(std::move(w));
     },
     {"List1", "Command2", "Command3"},
     true,
     "Command2"},
    {"frmDisplaySelMsgDetls",
     [](AccessibilityWalkTest&) {
         return make<frmDisplaySelMsgDetls>(
             OutboxEntry::Details{"12", "05/12/2026 16:20", "Hello", 5}, std::nullopt);
     },
     {"txtMessageId", "txtMessageDt", "txtMessage", "txtMsgLen", "Command1"},
     true,
     "Command1"},
    {"frmOWarning",
     [](AccessibilityWalkTest& t) { return make<frmOWarning>(t.warningOff); },
     {"chkShow", "cmdYes"},
     true,
     "cmdYes"},
    {"frmMessage", [](AccessibilityWalkTest&) { return make<frmMessage>(); }, {}},
    {"frmGroupAddNumber",
     [](AccessibilityWalkTest& t) {
         return make<frmGroupAddNumber>(
             t.appPath(), [](const QString&) {}, std::nullopt);
     },
     {"Text1", "Text3", "cmbCountryCode", "Picture4", "Picture16", "Command1", "Command2"},
     true,
     "Command1"},
    {"frmGroupName",
     [](AccessibilityWalkTest& t) { return make<frmGroupName>(t.groups); },
     {"Text1", "Command1", "Command2"},
     true,
     "Command1"},
    {"frmGroups",
     [](AccessibilityWalkTest& t) {
         return make<frmGroups>(t.appPath(), QStringList{"Jane  +447700900123"}, std::nullopt);
     },
     {"Combo3", "Picture1", "Picture2", "Picture3", "List4", "Command22", "Command6", "Command14",
      "Command3", "List3", "Command4", "Command5", "Command1", "Command2"}},
    {"frmOutlook",
     [](AccessibilityWalkTest&) { return make<frmOutlook>(nullptr); },
     {"tContacts", "cmdAddAll", "cmdAddSelected", "cmdClearAll", "Check1", "Command1"},
     false},
    {"AboutBox",
     [](AccessibilityWalkTest& t) { return make<AboutBox>(t.settings); },
     {"txtContact", "cmdOK"},
     true,
     "cmdOK"},
    {"SplashWindow",
     [](AccessibilityWalkTest& t) { return make<SplashWindow>(t.settings); },
     {"chkMinOnStartup", "cmbBackColor", "outlookCheck", "Command2", "Command1", "cmdExit"},
     true,
     "Command2"},
};

} // namespace

// Every control has a name a screen reader can say, Tab walks the window in
// reading order and comes back, Escape leaves each dialog that may be left,
// and Enter presses its default button.
TEST_P(AccessibilityWalkTest, NamedWalkedInReadingOrderAndLeftByEscape) {
    const Row& row = GetParam();
    std::unique_ptr<QWidget> window = row.make(*this);
    ASSERT_TRUE(window);
    if (!row.announced.isEmpty()) {
        QAccessibleInterface* said = QAccessible::queryAccessibleInterface(window.get());
        EXPECT_EQ(said->text(QAccessible::Description), row.announced);
    }
    AccessibilityWalk::check(window.get(), row.tabOrder, row.escapeCloses);
    if (row.enterPresses) {
        window = row.make(*this); // the first is closed
        EXPECT_TRUE(
            AccessibilityWalk::enterPresses(window.get(), row.tabOrder[0], row.enterPresses));
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, AccessibilityWalkTest, ::testing::ValuesIn(kWindows),
                         [](const auto& row) { return std::string(row.param.window); });
