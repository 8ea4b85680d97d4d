#include "client/shell/ui/MainForm.h"
#include "client/composition/ui/CompositionPanel.h"
#include "client/internet/ui/InternetController.h"
#include "client/internet/ui/frmStatus.h"
#include "client/modem_setup/ui/frmModemDetected.h"
#include "client/modem_setup/ui/frmWarning.h"
#include "client/outbox/ui/DeliveryController.h"
#include "client/outbox/ui/OutboxPanel.h"
#include "client/outbox/ui/SendController.h"
#include "client/outbox/ui/SendPanel.h"
#include "client/recipients/ui/ContactsController.h"
#include "client/recipients/ui/RecipientsController.h"
#include "client/recipients/ui/RecipientsPanel.h"
#include "client/recipients/ui/frmOutlook.h"
#include "client/settings/ClientSettings.h"
#include "client/shell/SingleInstance.h"
#include "client/shell/StartupFiles.h"
#include "client/shell/ui/ClientStartup.h"
#include "common/IntervalTimer.h"
#include "common/Registry.h"
#include "common/Setting.h"
#include "support/WidgetTest.h"
#include "ui/BackColour.h"
#include "ui/ClickableLabel.h"

#include <QAction>
#include <QDateEdit>
#include <QFileInfo>
#include <QGroupBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QToolButton>

namespace {

// The whole main window on an installation of its own: these tests keep the
// load, Send through every panel, and Exit honest; each area's own rules are
// tested on its panel.
class MainFormTest : public WidgetTest {
protected:
    void SetUp() override { settings = ClientSettings::loadWithDefaults(); }
    // A window as the start-up routine makes it, the options window passed.
    std::unique_ptr<MainForm> makeForm() {
        auto f = std::make_unique<MainForm>(settings, installation);
        f->showOptionsWindow = [] { return true; };
        f->runConnectionDialog = [](frmModemDetected&) {};
        return f;
    }
    void loadAndShow() {
        ASSERT_TRUE(form->load());
        activate(form.get());
        boxes.clear();
    }
    CompositionPanel& compose() { return form->compositionPanel(); }
    template <typename W> W* composed(const char* name) { return compose().findChild<W*>(name); }
    RecipientsPanel& recipients() { return form->recipientsPanel(); }
    SendPanel& send() { return form->sendPanel(); }
    template <typename W> W* sent(const char* name) { return send().findChild<W*>(name); }
    OutboxPanel& out() { return form->outboxPanel(); }
    QListWidget* outList(const char* name) { return out().findChild<QListWidget*>(name); }
    // The window's own controls, by name.
    IntervalTimer* timer(const char* name) {
        return form->findChild<IntervalTimer*>(name, Qt::FindDirectChildrenOnly);
    }
    QPushButton* exitButton() {
        return form->centralWidget()->findChild<QPushButton*>("Command3",
                                                              Qt::FindDirectChildrenOnly);
    }

    ClientSettings settings;
    Installation installation{inst.root(), inst.root()};
    std::unique_ptr<MainForm> form = makeForm();
};

} // namespace

TEST_F(MainFormTest, TheLoadFillsAndPaintsEveryPanelWritesTheStartFilesAndSetsTheTimers) {
    inst.writeBytes("Config\\BudList.dat", "Jane Smith  +44123\r\n");
    inst.writeBytes("Groups\\Group.dat", " \r\nFriends\r\n");
    inst.writeBytes("StartNOM.cfg", "INUSE\r\n");
    form->showOptionsWindow = [this] {
        settings.BackColour = Colour{255, 153, 51}; // as the options window leaves it
        return true;
    };
    // The quick messages are there before the connection dialog shows.
    form->runConnectionDialog = [this](frmModemDetected&) {
        EXPECT_EQ(composed<QComboBox>("Combo1")->count(), 6);
    };
    ASSERT_TRUE(form->load());
    EXPECT_EQ(sent<QPushButton>("cmdConfigure")->text() + '|' +
                  sent<QPushButton>("Command2")->text(),
              "&Configure|&Send Queue");
    EXPECT_EQ(items(recipients().findChild<QListWidget*>("List4")),
              QStringList{"Jane Smith  +44123"});
    EXPECT_EQ(recipients().findChild<QComboBox*>("Combo3")->count(), 2);
    EXPECT_EQ(recipients().findChild<QComboBox*>("cmbCountryCode")->currentText(),
              "United Kingdom  +44");
    EXPECT_EQ(composed<QLineEdit>("txtLenSignature")->text(), "26");
    EXPECT_EQ(sent<QDateEdit>("dtSchDate")->date(), QDate(2026, 12, 5));
    EXPECT_FALSE(sent<QDateEdit>("dtSchDate")->isEnabled()) << "no connection chosen yet";
    EXPECT_EQ(inst.bytes("StartNOM.cfg"), QByteArray("START\r\n"));
    EXPECT_EQ(inst.bytes("AppPath.cfg"), (inst.root() + "/\r\n").toUtf8());
    EXPECT_EQ(QList<int>({timer("Timer1")->interval(), timer("Timer2")->interval()}),
              QList<int>({10000, 1000}));
    EXPECT_TRUE(timer("Timer2")->isActive() && !timer("Timer1")->isActive());
    EXPECT_EQ(QStringList({form->findChild<QAction*>("mnuShow")->text(), exitButton()->text()}),
              QStringList({"Show Quorvel", "E&xit"}));
    for (QWidget* w : std::initializer_list<QWidget*>{
             form->centralWidget(), composed<QWidget>("fraSMSMessage"),
             sent<QGroupBox>("fraSMSRemaining"), out().findChild<QGroupBox*>("Frame10"),
             recipients().findChild<QGroupBox*>("Frame2")})
        EXPECT_TRUE(w->autoFillBackground() &&
                    w->palette().color(QPalette::Window) == QColor(255, 153, 51))
            << w->objectName().toStdString();
    QSignalSpy closed(form.get(), &MainForm::closed);
    exitButton()->click();
    EXPECT_EQ(closed.count(), 1) << "an empty outbox ends at once, without asking";
    EXPECT_TRUE(boxes.shown().isEmpty());

    form = makeForm();
    form->showOptionsWindow = [] { return false; };
    inst.remove("StartNOM.cfg");
    EXPECT_FALSE(form->load()) << "Exit chosen in the options window";
    EXPECT_EQ(inst.bytes("StartNOM.cfg"), QByteArray("<missing>"));
}

// The connection dialog as the load and Configure show it, through the link
// the main window gives it; its rules are ConnectionSettingsTest's.
TEST_F(MainFormTest, TheConnectionDialogSwitchesBothWindowsAndCannotBeClosedFromItsTitleBar) {
    const QString question = " Do you want to detect modem automatically ?";
    form->runConnectionDialog = [](frmModemDetected& d) { d.showModal(); };
    const auto shown = [this](QWidget* w) { return w->isVisibleTo(form.get()); };
    onModal<frmModemDetected>([&](frmModemDetected& d) {
        d.close();
        EXPECT_TRUE(d.isVisible());
        boxes.answerNext(MessageBox::Answer::No);
        // Check boxes and option buttons act on a screen reader's toggle too.
        toggleAccessibly(child<QRadioButton>(d, "optModem"));
        EXPECT_EQ(timer("Timer1")->interval(), 1000);
        EXPECT_TRUE(shown(sent<QRadioButton>("Option2")) &&
                    child<QGroupBox>(d, "Frame2")->isEnabled());
        toggleAccessibly(child<QCheckBox>(d, "chkOutsideNo"));
        QTest::keyClicks(child<QLineEdit>(d, "txtOutsideNumber"), "9a#1");
        child<QLineEdit>(d, "txtOutsideNumber")->insert(QString(10000, '1')); // pasted
        EXPECT_EQ(child<QLineEdit>(d, "txtOutsideNumber")->text(), "91111");
        QTest::mouseClick(child<QLabel>(d, "Label5"), Qt::LeftButton);
        EXPECT_FALSE(child<QCheckBox>(d, "chkOutsideNo")->isChecked() ||
                     child<QLineEdit>(d, "txtOutsideNumber")->isVisible());
        // "Don't show this again." holds whichever answer closes the notice.
        onModal<frmWarning>([](frmWarning& w) {
            child<QCheckBox>(w, "chkShow")->click();
            child<QPushButton>(w, "cmdNo")->click();
        });
        child<QRadioButton>(d, "optInternet")->click();
        EXPECT_EQ(timer("Timer1")->interval(), 0);
        EXPECT_TRUE(shown(sent<QGroupBox>("fraSMSRemaining")) &&
                    child<QPushButton>(d, "Command1")->isEnabled());
        EXPECT_FALSE(shown(sent<QRadioButton>("Option2")) ||
                     child<QGroupBox>(d, "Frame2")->isEnabled() ||
                     child<QPushButton>(d, "Command2")->isEnabled());
        EXPECT_EQ(Setting::read(Setting::ShowOption), "1");
        boxes.answerNext(MessageBox::Answer::No);
        child<QRadioButton>(d, "optModem")->click();
        child<QPushButton>(d, "Command1")->click();
    });
    ASSERT_TRUE(form->load());
    EXPECT_EQ(boxes.texts(),
              (QStringList{question, question,
                           "No port selected. You will not be able to send any SMS messages."}));
    EXPECT_FALSE(sent<QToolButton>("Picture5")->isEnabled() ||
                 sent<QLabel>("lblSend")->isEnabled());
    EXPECT_TRUE(settings.IEWarningOff);

    // Yes to the notice confirms the Internet connection at once, with the
    // user's details stored before the sign-on reads them.
    settings.IEWarningOff = false;
    Setting::write(Setting::UserEmail, "old@example.org");
    QStringList signOn;
    onModal<frmModemDetected>([&](frmModemDetected& d) {
        EXPECT_EQ(child<QLineEdit>(d, "txtEmail")->text(), "old@example.org");
        QObject::connect(&d, &frmModemDetected::internetConfirmed, [&] {
            signOn << Setting::read(Setting::UserMobile) << Setting::read(Setting::UserEmail);
        });
        QTest::keyClicks(child<QLineEdit>(d, "txtMobile"), " +447700900123 ");
        child<QLineEdit>(d, "txtEmail")->clear();
        onModal<frmWarning>([](frmWarning& w) { child<QPushButton>(w, "cmdYes")->click(); });
        child<QRadioButton>(d, "optInternet")->click();
    });
    boxes.answerNext(MessageBox::Answer::No);
    sent<QPushButton>("cmdConfigure")->click();
    EXPECT_EQ(signOn, (QStringList{"+447700900123", ""}));
    // The sign-on has begun: the main window waits behind the status window.
    EXPECT_TRUE(form->internet().statusWindow().isVisible());
    EXPECT_TRUE(sent<QToolButton>("Picture5")->isEnabledTo(form->centralWidget()));
    EXPECT_EQ(settings.connection, ConnectionType::InternetChosenNow);
}

TEST_F(MainFormTest, SendTakesTheComposedMessageToTheCheckedRecipientsAndResetsTheEditor) {
    inst.writeBytes("Config\\Sign.cfg", "NOPAGE- Quorvel\r\n");
    inst.writeBytes("Config\\MsgID.dat", "57\r\n");
    // The load drops the malformed entry: the shutdown's save shows.
    inst.writeBytes("Config\\BudList.dat", "Jane  +447700900123\r\nBob  +33612\r\nCy 443\r\n");
    settings.connection = ConnectionType::Modem;
    loadAndShow();
    // The connection chosen in the settings lays the window out for it.
    EXPECT_EQ(timer("Timer1")->interval(), 1000);
    EXPECT_TRUE(sent<QDateEdit>("dtSchDate")->isEnabled());
    recipients().findChild<QListWidget*>("List4")->item(1)->setCheckState(Qt::Unchecked);
    auto* subject = composed<QLineEdit>("txtSubject");
    auto* message = composed<QPlainTextEdit>("txtMessage");
    auto* quick = composed<QComboBox>("Combo1");
    QTest::keyClicks(subject, "Hi");
    message->setFocus();
    QGuiApplication::clipboard()->setText("a\r\nb");
    message->paste();
    quick->setCurrentIndex(1);
    paintBase(recipients().findChild<QListWidget*>("List4"), kOrange);
    paintBase(message, kOrange);
    // Sent with the focus still in the box: the CR LF goes out as two blanks.
    sent<QToolButton>("Picture5")->click();
    const QString entry = "[57] 05/12/2026 16:20:00 +447700900123 (Hi)a  b - Quorvel";
    EXPECT_EQ(items(outList("outbox")), QStringList{entry});
    EXPECT_EQ(inst.bytes("NOM\\UK\\Cellnet\\Config\\Brindle.in"),
              "\r\n" + entry.toLatin1() + "\r\n");
    EXPECT_EQ(boxes.texts(), QStringList{"Select SEND QUEUE button to send queued messages."});
    EXPECT_EQ(subject->text() + message->toPlainText(), "");
    EXPECT_EQ(quick->currentIndex(), -1);
    EXPECT_EQ(composed<QLineEdit>("Text4")->text(), "0");
    EXPECT_EQ(base(recipients().findChild<QListWidget*>("List4")), QColor(255, 255, 255));
    EXPECT_EQ(base(message), QColor(255, 255, 255));

    // The close box never asks; it saves the Number List whole, unchecked
    // entries too, and the scheduled entries.
    const QString scheduled = "[3] 7/12/2026 9:05:00 +442 b 7/12/2026 9:05:00";
    outList("schedulebox")->addItem(scheduled);
    boxes.clear();
    form->close();
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), "Jane  +447700900123\r\nBob  +33612\r\n");
    EXPECT_EQ(inst.bytes("Config\\ScdMsgs.rcv"), lines({scheduled}));
}

// Exit asks while the outbox holds entries, and No keeps the window; Yes in
// the middle of a large send stops it before the next recipient and the poll.
TEST_F(MainFormTest, ExitDuringALargeSendAsksThenStopsItBeforeTheNextRecipientAndThePoll) {
    loadAndShow();
    for (int i = 0; i < 300; ++i)
        recipients().controller().AddEntry(
            QString("N%1  +4477009%2").arg(i).arg(i, 5, 10, QChar('0')));
    composed<QPlainTextEdit>("txtMessage")->setPlainText(QString(300, 'x'));
    boxes.clear(); // the editor's split warning
    QSignalSpy closed(form.get(), &MainForm::closed);
    int entriesAtExit = -1;
    clock.onWait([&](qint64) {
        if (closed.count() > 0)
            return;
        entriesAtExit = outList("outbox")->count();
        boxes.answerNext(boxes.shown().isEmpty() ? MessageBox::Answer::No
                                                 : MessageBox::Answer::Yes);
        exitButton()->click();
    });
    sent<QToolButton>("Picture5")->click();
    clock.onWait(nullptr);
    ASSERT_EQ(closed.count(), 1);
    EXPECT_EQ(boxes.texts(),
              QStringList(2, "Messages are still being processed. Please confirm exiting "
                             "application    "));
    EXPECT_TRUE(boxes.lastIs("Quorvel Warning", MessageBox::Icon::Question));
    EXPECT_EQ(boxes.last().buttons, MessageBox::Buttons::YesNo);
    EXPECT_EQ(boxes.last().defaultButton, MessageBox::Answer::No);
    ASSERT_GT(entriesAtExit, 0);
    ASSERT_LT(entriesAtExit, 900) << "Exit came in the middle of the send";
    EXPECT_EQ(outList("outbox")->count(), entriesAtExit);
    EXPECT_EQ(inst.bytes("NOM\\UK\\Cellnet\\Config\\Brindle.in"),
              "\r\n" + lines(items(outList("outbox"))))
        << "nothing reached the inbox after Exit was confirmed";
    EXPECT_FALSE(send().send().sending());
    timer("Timer1")->start();
    EXPECT_FALSE(timer("Timer1")->isActive() || timer("Timer2")->isActive())
        << "no poll may run after Exit";
}

// The Internet route through the window: Send Queue without the service's
// page loaded says so in the status window, which "Ok" leaves. Without a
// notification area, going to the tray just leaves the window.
TEST_F(MainFormTest, TheServerResponseAndContactsWindowsWorkWithTheMainWindow) {
    settings.connection = ConnectionType::Internet;
    settings.StartInTray = true;
    settings.OutlookWarningOff = true;
    loadAndShow();
    form->showInTray();
    EXPECT_TRUE(form->isVisible()) << "offscreen has no tray: the window must not vanish";
    outList("outbox")->addItem("[2] 05/12/2026 16:20:00 +44123 hello");
    send().delivery().setBlinking(true);
    sent<QPushButton>("Command2")->click();
    frmStatus& w = form->internet().statusWindow();
    auto* lblStatus = w.findChild<QLabel*>("lblStatus");
    auto* cmdClose = w.findChild<QPushButton*>("cmdClose");
    ASSERT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), "Quorvel Server Response");
    EXPECT_EQ(lblStatus->text(),
              "Not connected to Quorvel server.\r\nConnect to Quorvel server and Try again.");
    EXPECT_TRUE(cmdClose->isEnabled() && w.findChild<QPushButton*>("cmdConnect")->isEnabled());
    // The server's texts: a heading, a link or a picture in them is shown as text.
    EXPECT_TRUE(lblStatus->textFormat() == Qt::PlainText &&
                sent<QLabel>("lblRemaining")->textFormat() == Qt::PlainText);
    EXPECT_FALSE(form->centralWidget()->isEnabled());
    EXPECT_FALSE(send().delivery().blinking());
    cmdClose->click();
    EXPECT_TRUE(w.isHidden() && form->centralWidget()->isEnabled());
    EXPECT_EQ(outList("outbox")->count(), 1);

    EXPECT_TRUE(recipients().findChild<QToolButton*>("picContact")->isVisible())
        << "no address book: the plain button";
    recipients().findChild<QToolButton*>("picContact")->click();
    const QPointer<frmOutlook> contacts = &form->contacts().window();
    EXPECT_TRUE(contacts->isVisible());
    // Widened for long names, docked on a 1366x768 screen: the panel gives
    // way, and the main window stays on the screen.
    contacts->resize(480, contacts->height());
    EXPECT_EQ(contacts->width(), 480);
    contacts->findChild<QPushButton*>("Check1")->click();
    EXPECT_LT(contacts->width(), 480);
    const QRect screen = form->screen()->availableGeometry();
    const auto text = [](const QRect& r) {
        return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    EXPECT_TRUE(screen.contains(form->frameGeometry()))
        << text(form->frameGeometry()).toStdString() << " on " << text(screen).toStdString();
    form->close();
    EXPECT_TRUE(contacts.isNull()) << "left open, it would keep the program running";
}

// The start makes the missing lists and group index, even for a client it then
// refuses: one client per installation, another installation runs side by side.
// Existing files are left alone, and nothing goes where there is no Config folder.
TEST(ClientStartup, MakesTheMissingFilesAndRefusesASecondClientWithoutAWindow) {
    TestInstallation inst;
    ScriptedMessageBox boxes;
    ASSERT_FALSE(QFileInfo::exists(inst.root() + "/Groups"));
    SingleInstance running(inst.appPath(), inst.root()), other("/opt/b/", inst.root());
    ASSERT_TRUE(running.acquire());
    EXPECT_TRUE(other.acquire());
    Installation installation(inst.root(), inst.root());
    ClientStartup startup(installation, inst.root());
    EXPECT_EQ(startup.start(), ClientStartup::Outcome::AlreadyRunning);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().text, "Quorvel is running ...");
    EXPECT_TRUE(boxes.lastIs("Quorvel Warning", MessageBox::Icon::Information));
    EXPECT_EQ(startup.mainForm(), nullptr);
    EXPECT_EQ(Registry::readSetting("MODEM_CONN"), "Error") << "nothing else happens";
    EXPECT_EQ(inst.bytes("Groups\\Group.dat"), QByteArray(" \r\n"));
    EXPECT_TRUE(QFileInfo(inst.root() + "/Groups").isDir()) << "exact case of the layout";
    EXPECT_EQ(inst.bytes("Config\\SpeedNos.dat"), QByteArray());
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray());
    inst.writeBytes("Groups\\Group.dat", "Friends\r\n");
    inst.writeBytes("Config\\BudList.dat", "Ann  +441\r\n");
    StartupFiles::ensureAll(inst.appPath());
    EXPECT_EQ(inst.bytes("Groups\\Group.dat"), QByteArray("Friends\r\n"));
    EXPECT_EQ(inst.bytes("Config\\BudList.dat"), QByteArray("Ann  +441\r\n"));

    TestInstallation empty(TestInstallation::Contents::Empty);
    StartupFiles::ensureAll(empty.appPath());
    EXPECT_FALSE(QFileInfo::exists(empty.root() + "/Config"));
    EXPECT_EQ(empty.bytes("Groups\\Group.dat"), QByteArray(" \r\n"));
}
