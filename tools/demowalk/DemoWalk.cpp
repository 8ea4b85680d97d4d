#include "DemoWalk.h"
#include "GuideTour.h"

#include "client/internet/FormPage.h"
#include "client/internet/ServerStatus.h"
#include "client/internet/ui/InternetController.h"
#include "client/internet/ui/frmStatus.h"
#include "client/modem_setup/ui/frmModemDetected.h"
#include "client/modem_setup/ui/frmWarning.h"
#include "client/outbox/ui/DeliveryController.h"
#include "client/outbox/ui/MessageListWindow.h"
#include "client/outbox/ui/SendPanel.h"
#include "client/recipients/ui/ContactsController.h"
#include "client/recipients/ui/ContactsDialogs.h"
#include "client/recipients/ui/frmOutlook.h"
#include "client/settings/ui/AboutBox.h"
#include "client/settings/ui/SplashWindow.h"
#include "client/shell/ui/ClientStartup.h"
#include "client/shell/ui/MainForm.h"
#include "common/InstallPath.h"
#include "common/Installation.h"
#include "common/LineFile.h"
#include "common/MessageBox.h"
#include "common/Registry.h"
#include "common/Setting.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

DemoWalk::DemoWalk(QString installDir, QString shotDir)
    : m_installDir(std::move(installDir)), m_shotDir(std::move(shotDir)) {}

DemoWalk::~DemoWalk() = default;

MainForm* DemoWalk::mainForm() const {
    return m_startup ? m_startup->mainForm() : nullptr;
}

DemoWalk::Controls DemoWalk::controls() const {
    Controls c;
    MainForm* form = mainForm();
    if (!form)
        return c;
    const auto find = [form]<typename W>(W*& control, const char* name) {
        control = form->findChild<W*>(QString::fromLatin1(name));
    };
    find(c.List4, "List4");
    find(c.Text1, "Text1");
    find(c.Text3, "Text3");
    find(c.Picture4, "Picture4");
    find(c.txtSubject, "txtSubject");
    find(c.txtMessage, "txtMessage");
    find(c.Picture5, "Picture5");
    find(c.outbox, "outbox");
    find(c.Command2, "Command2");
    find(c.Picture9, "Picture9");
    return c;
}

bool DemoWalk::fail(const QString& why) {
    m_error = why;
    return false;
}

void DemoWalk::shot(QWidget* window, const QString& name) {
    window->show();
    window->raise();
    QApplication::processEvents();
    QDir().mkpath(m_shotDir);
    const QString file = QDir(m_shotDir).filePath(name + ".png");
    if (window->grab().save(file))
        m_shots << file;
}

bool DemoWalk::waitFor(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

bool DemoWalk::onModal(QWidget* opener, const std::function<void(QDialog&)>& act) {
    bool seen = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d || qobject_cast<QMessageBox*>(d) || !d->isVisible())
            return;
        poll.stop();
        seen = true;
        act(*d);
        if (d->isVisible()) // a refusal kept it open: the walk must not hang on it
            d->reject();
    });
    poll.start();
    if (auto* b = qobject_cast<QAbstractButton*>(opener))
        b->click();
    poll.stop();
    return seen;
}

namespace {

// A control of a dialog by its name; the window tests hold the names.
template <typename W> W* in(const QObject& dialog, const char* name) {
    return dialog.findChild<W*>(QString::fromLatin1(name));
}

// Declines the automatic search the connection settings offer and hands
// every other box on.
class DecliningSearch : public MessageBox::Presenter {
public:
    DecliningSearch() : m_previous(MessageBox::install(this)) {}
    ~DecliningSearch() override { MessageBox::install(m_previous); }
    DecliningSearch(const DecliningSearch&) = delete;
    DecliningSearch& operator=(const DecliningSearch&) = delete;

    MessageBox::Answer present(const MessageBox::Request& r) override {
        if (r.text == QLatin1String(" Do you want to detect modem automatically ?"))
            return MessageBox::Answer::No;
        return m_previous ? m_previous->present(r) : r.defaultButton;
    }

private:
    MessageBox::Presenter* m_previous;
};

} // namespace

bool DemoWalk::setUpConnection(frmModemDetected& d) {
    {
        DecliningSearch decline;
        d.show();
        d.activate();
        shot(&d, "03-connection-settings");
        if (!in<QRadioButton>(d, "optModem")->isChecked())
            in<QRadioButton>(d, "optModem")->click();
    }
    if (!in<QCheckBox>(d, "chkOutsideNo")->isChecked())
        in<QCheckBox>(d, "chkOutsideNo")->click();
    in<QLineEdit>(d, "txtOutsideNumber")->clear();
    QTest::keyClicks(in<QLineEdit>(d, "txtOutsideNumber"), "9");
    in<QPushButton>(d, "butRefresh")->click();
    if (in<QRadioButton>(d, "Option1_1")->isChecked()) {
        // The dial runs in the dialog's own waits, as it does for a user.
        in<QPushButton>(d, "Command2")->click();
        shot(&d, "04-modem-tested");
        if (in<QLabel>(d, "Label2")->text() != QLatin1String("Modem Test Successful"))
            return fail("the modem test on COM1 failed: " + in<QLabel>(d, "Label3")->text());
    } else {
        shot(&d, "04-no-modem");
    }
    in<QPushButton>(d, "Command1")->click();
    return !d.isVisible() || fail("OK left the connection settings open");
}

bool DemoWalk::startClient(Connection connection) {
    QDir().mkpath(m_installDir + "/.locks");
    m_installation = std::make_unique<Installation>(m_installDir, m_installDir);
    m_startup = std::make_unique<ClientStartup>(*m_installation, m_installDir + "/.locks");
    m_connectionSet = false;
    const auto outcome = m_startup->start([this, connection](MainForm& form) {
        // The walk is the user: the dialog is shown and acted on in place
        // of its modal loop.
        form.runConnectionDialog = [this, connection](frmModemDetected& d) {
            if (connection == Connection::SetUpModem) {
                m_connectionSet = setUpConnection(d);
                return;
            }
            d.show();
            d.activate();
            in<QPushButton>(d, "Command1")->click();
            m_connectionSet = !d.isVisible() || fail("the stored connection was refused");
        };
        form.showOptionsWindow = [this, &form] {
            SplashWindow splash(form.settings(), &form);
            shot(&splash, "01-options-window");
            AboutBox about(form.settings(), &splash);
            shot(&about, "02-about-box");
            about.close();
            // An installation with an address book of its own uses it.
            if (Setting::read(Setting::ContactsDir) != QLatin1String(Registry::kError))
                splash.findChild<QCheckBox*>("outlookCheck")->setChecked(true);
            splash.findChild<QPushButton*>("Command2")->click();
            return !splash.exitRequested();
        };
    });
    if (outcome != ClientStartup::Outcome::Running)
        return fail("the client did not start");
    if (!m_connectionSet)
        return false;
    mainForm()->resize(1280, 800);
    shot(mainForm(), "05-main-window");
    return true;
}

bool DemoWalk::addRecipient(const QString& name, const QString& mobile) {
    const Controls c = controls();
    const int before = c.List4->count();
    c.Text1->setFocus();
    QTest::keyClicks(c.Text1, name);
    c.Text3->setFocus();
    QTest::keyClicks(c.Text3, mobile);
    c.Picture4->click();
    if (c.List4->count() != before + 1)
        return fail("the recipient was not added");
    return true;
}

bool DemoWalk::composeAndSend(const QString& subject, const QString& message, int firstShot) {
    const auto numbered = [firstShot](int step, const char* name) {
        return QStringLiteral("%1-%2").arg(firstShot + step, 2, 10, QLatin1Char('0')).arg(name);
    };
    const Controls c = controls();
    c.txtSubject->setFocus();
    QTest::keyClicks(c.txtSubject, subject);
    c.txtMessage->setFocus();
    QTest::keyClicks(c.txtMessage, message);
    shot(mainForm(), numbered(0, "message-composed"));
    const int before = c.outbox->count();
    c.Picture5->click();
    if (c.outbox->count() <= before)
        return fail("Send put nothing in the outbox");
    shot(mainForm(), numbered(1, "outbox-after-send"));
    return true;
}

bool DemoWalk::modemRouteAvailable() const {
    const QString ports = InstallPath::resolve(m_installDir + '/', "Config\\ComPorts.cfg");
    const QStringList lines = LineFile::readAll(ports);
    // The demo's simulator is a pseudo-terminal; a real serial port is not walked.
    return !lines.isEmpty() &&
           QFileInfo(lines.first().trimmed()).canonicalFilePath().startsWith("/dev/pts/");
}

bool DemoWalk::sendQueueAndWaitAccepted(int timeoutMs) {
    const Controls c = controls();
    QStringList sent;
    for (int i = 0; i < c.outbox->count(); ++i)
        sent << c.outbox->item(i)->text();
    c.Command2->click();
    bool processingShot = false;
    const bool done = waitFor(
        [&] {
            for (int i = 0; i < c.outbox->count(); ++i)
                if (!m_seen.contains(c.outbox->item(i)->text()))
                    m_seen << c.outbox->item(i)->text();
            if (!processingShot && c.outbox->count() > 0 &&
                c.outbox->item(0)->text().startsWith("Processing::")) {
                processingShot = true;
                shot(mainForm(), "08-outbox-processing");
            }
            // The last picture of Brindle's window before it ends shows the most.
            if (guideTour && processingShot) {
                QPixmap brindle = grabForeignWindow("Cellnet NOM");
                if (!brindle.isNull())
                    m_brindleShot = std::make_unique<QPixmap>(brindle);
            }
            return c.outbox->count() == 0;
        },
        timeoutMs);
    if (!done)
        return fail("the outbox was not accepted in time");
    const QStringList accepted =
        LineFile::readAll(mainForm()->installation().file("Config\\AccpMsgs.dat"));
    for (const QString& e : sent)
        if (!accepted.contains("Accepted::" + e))
            return fail("not in the accepted messages: " + e);
    shot(mainForm(), "09-outbox-accepted");
    if (guideTour) {
        if (!m_brindleShot)
            return fail("Brindle's window was not seen while it sent");
        const QString file = QDir(m_shotDir).filePath("brindle-window.png");
        if (m_brindleShot->save(file))
            m_shots << file;
    }
    return true;
}

bool DemoWalk::showAcceptedMessages(const QStringList& entries, const QString& shotName) {
    bool ok = false;
    mainForm()->sendPanel().delivery().showList = [&](MessageListWindow& w) {
        w.show();
        w.activate();
        const QListWidget* listed = w.findChild<QListWidget*>("List1");
        m_acceptedShown.clear();
        for (int i = 0; i < listed->count(); ++i)
            m_acceptedShown << listed->item(i)->text();
        ok = !m_acceptedShown.isEmpty();
        for (const QString& e : entries)
            ok = ok && m_acceptedShown.contains(e);
        w.resize(qBound(w.width(), listed->sizeHintForColumn(0) + 40, 1240), w.height());
        shot(&w, shotName);
        w.close();
    };
    controls().Picture9->click();
    return ok || fail("the accepted messages view lacks what was accepted");
}

bool DemoWalk::reconfigure(const std::function<bool(frmModemDetected&)>& act, int timeoutMs) {
    MainForm& form = *mainForm();
    auto* configure = form.findChild<QPushButton*>("cmdConfigure");
    // Configure comes back once the queue has gone.
    if (!waitFor([configure] { return configure->isEnabled(); }, timeoutMs))
        return fail("Configure stayed disabled");
    m_connectionSet = false;
    form.runConnectionDialog = [this, act](frmModemDetected& d) {
        d.show();
        d.activate();
        m_connectionSet = act(d);
    };
    configure->click();
    return m_connectionSet;
}

bool DemoWalk::switchToInternet(const QString& mobile, const QString& email, int timeoutMs) {
    MainForm& form = *mainForm();
    if (!reconfigure(
            [this, mobile, email](frmModemDetected& d) {
                in<QLineEdit>(d, "txtMobile")->setText(mobile);
                in<QLineEdit>(d, "txtEmail")->setText(email);
                shot(&d, "12-internet-settings");
                // The notice about the browser: Yes confirms the dialog at once.
                QTimer::singleShot(0, [this] {
                    if (auto* w = qobject_cast<frmWarning*>(QApplication::activeModalWidget())) {
                        shot(w, "13-internet-notice");
                        w->findChild<QPushButton*>("cmdYes")->click();
                    }
                });
                in<QRadioButton>(d, "optInternet")->click();
                if (d.isVisible()) // the notice was switched off
                    in<QPushButton>(d, "Command1")->click();
                return !d.isVisible() || fail("OK left the connection settings open");
            },
            timeoutMs))
        return false;
    ServerStatus& status = form.internet().status();
    if (!waitFor([&] { return !form.internet().webConnection().loading() && status.okEnabled(); },
                 timeoutMs) ||
        status.message() != QLatin1String("Connected to Quorvel server."))
        return fail("the sign-on failed: " + status.message());
    shot(&form.internet().statusWindow(), "14-internet-signed-on");
    form.internet().statusWindow().findChild<QPushButton*>("cmdClose")->click();
    return true;
}

bool DemoWalk::sendQueueByInternet(int timeoutMs) {
    MainForm& form = *mainForm();
    const Controls c = controls();
    QStringList sent;
    for (int i = 0; i < c.outbox->count(); ++i)
        sent << c.outbox->item(i)->text();
    c.Command2->click();
    ServerStatus& status = form.internet().status();
    if (!waitFor([&] { return !form.internet().webConnection().loading() && status.okEnabled(); },
                 timeoutMs) ||
        status.message() != QLatin1String("SMS message(s) accepted for processing."))
        return fail("the service did not accept the outbox: " + status.message());
    shot(&form.internet().statusWindow(), "17-internet-accepted");
    form.internet().statusWindow().findChild<QPushButton*>("cmdClose")->click();
    const QStringList accepted =
        LineFile::readAll(form.installation().file("Config\\AccpMsgs.dat"));
    for (const QString& e : sent)
        if (!accepted.contains(e))
            return fail("not in the accepted messages: " + e);
    if (c.outbox->count() != 0)
        return fail("the outbox was not emptied");
    return showAcceptedMessages(sent, "18-internet-accepted-messages");
}

bool DemoWalk::showContacts() {
    ContactsController& contacts = mainForm()->contacts();
    if (!contacts.loaded())
        return true; // no address book here: nothing to show
    QTimer::singleShot(0, [this] {
        if (auto* w = qobject_cast<frmOWarning*>(QApplication::activeModalWidget())) {
            shot(w, "19-contacts-warning");
            w->findChild<QPushButton*>("cmdYes")->click();
        }
    });
    mainForm()->findChild<QToolButton*>("picOutLook")->click();
    frmOutlook& w = contacts.window();
    if (!w.isVisible())
        return fail("the contacts window did not open");
    shot(&w, "20-contacts-window");
    const auto button = [&w](const char* name) { return w.findChild<QPushButton*>(name); };
    button("Check1")->click();
    QTreeWidgetItem* outlook = w.findChild<ContactsTreeWidget*>("tContacts")->node("Contacts");
    outlook->setCheckState(0, Qt::Checked);
    const Controls c = controls();
    const int before = c.List4->count();
    button("cmdAddSelected")->click();
    if (c.List4->count() <= before)
        return fail("Add Selected put no contact on the Number List");
    shot(mainForm(), "21-contacts-docked");
    button("Command1")->click();
    return true;
}

bool DemoWalk::run() {
    std::unique_ptr<MessageBox::Presenter> boxes;
    if (guideTour)
        boxes = shootEveryBox(*this);
    if (!startClient(Connection::SetUpModem))
        return false;
    if ((guideTour && !showComposerDialogs()) || (walkMobile && !walkMobileModem()))
        return false;
    if (!walkMobile && modemRouteAvailable()) {
        if (!addRecipient("Demo User", "07700900123") || (guideTour && !showGroups()) ||
            !composeAndSend("Demo", "Hello from Quorvel. This message went through the modem.") ||
            !sendQueueAndWaitAccepted(180000) || !showAcceptedMessages())
            return false;
        if (guideTour && (!showFailedMessages() || !scheduleMessage()))
            return false;
    }
    if (walkInternet) {
        if (!switchToInternet("+447700900123", "demo@example.org", 30000) ||
            !addRecipient("Web User", "07700900456") ||
            !composeAndSend("Web", "Hello from Quorvel. This one went to the web service.", 15) ||
            !sendQueueByInternet(30000))
            return false;
    }
    if (!showContacts())
        return false;
    mainForm()->close();
    return true;
}
