#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class ClientStartup;
class Installation;
class MainForm;
class frmModemDetected;
class QDialog;
class QLineEdit;
class QPixmap;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QWidget;

// A scripted walk through the client as a new user would take it, saving a
// screenshot of every window it passes. The demo runs it where there is no
// display; the end-to-end tests run the same steps.
class DemoWalk {
public:
    // `installDir` is a complete installation; `shotDir` receives the PNGs.
    DemoWalk(QString installDir, QString shotDir);
    ~DemoWalk();

    // Every step in order; false (with `error()`) when one fails. Without
    // the demo's simulator on COM1 (a pseudo-terminal) the walk ends after
    // the connection settings: no message can leave.
    bool run();
    // The walk goes on through the Internet route (the service at
    // SERVER_URL must be up) after the modem route.
    bool walkInternet = false;
    // The user guide's tour: also every dialog, list view and message box on
    // the way, and Brindle's window while it sends.
    bool guideTour = false;
    // The message goes through the mobile modem ModemManager lists (on the
    // bus DBUS_SYSTEM_BUS_ADDRESS names) instead of the dial-up modem, and
    // the walk waits for its delivery report.
    bool walkMobile = false;
    QString error() const { return m_error; }
    QStringList screenshots() const { return m_shots; }
    MainForm* mainForm() const;

    // The main window's controls the walk uses, found by name as a user
    // finds them by sight.
    struct Controls {
        QListWidget* List4 = nullptr;
        QLineEdit* Text1 = nullptr;
        QLineEdit* Text3 = nullptr;
        QToolButton* Picture4 = nullptr;
        QLineEdit* txtSubject = nullptr;
        QPlainTextEdit* txtMessage = nullptr;
        QToolButton* Picture5 = nullptr;
        QListWidget* outbox = nullptr;
        QPushButton* Command2 = nullptr;
        QToolButton* Picture9 = nullptr;
    };
    Controls controls() const;

    // How the walk meets the connection settings at start.
    enum class Connection {
        // OK on what is stored.
        AsStored,
        // As a new user: Modem, no automatic search, the outside-line prefix
        // 9, Refresh, Test Modem when a modem was found, OK.
        SetUpModem,
    };

    // The steps, for tests that take them one by one.
    bool startClient(Connection connection = Connection::AsStored);
    bool setUpConnection(frmModemDetected& dialog);
    // Types a recipient into the Single Contact fields and adds it.
    bool addRecipient(const QString& name, const QString& mobile);
    // Types a message and presses Send; the entries land in the outbox.
    // `firstShot` numbers its two screenshots.
    bool composeAndSend(const QString& subject, const QString& message, int firstShot = 6);
    // Presses Send Queue and waits until every outbox entry was accepted and
    // moved to the accepted file (false on time-out).
    bool sendQueueAndWaitAccepted(int timeoutMs);
    // The accepted messages view, widened to show whole lines (delivery notes
    // included); every one of `entries` must be in it.
    bool showAcceptedMessages(const QStringList& entries = {},
                              const QString& shotName = "10-accepted-messages");
    // The Internet route: the connection settings switched to Internet with
    // the user's own details (the notice answered Yes), the sign-on awaited.
    bool switchToInternet(const QString& mobile, const QString& email, int timeoutMs);
    // Send Queue hands the outbox to the service; true when the status
    // window says it was accepted and the entries were filed.
    bool sendQueueByInternet(int timeoutMs);
    // With an address book: the contacts window floating, then docked beside
    // the main window, and its checked Outlook branch added to the Number List.
    bool showContacts();
    // The guide's extra stops: the composer's and the groups' dialogs, the
    // failed and scheduled views.
    bool showComposerDialogs();
    bool showGroups();
    bool showFailedMessages();
    bool scheduleMessage();
    bool modemRouteAvailable() const;
    // Configure, Modem Connection, Refresh, COM 2 (the mobile modem found),
    // Test Modem, OK.
    bool setUpMobileModem(int timeoutMs);
    // Waits until Brindle recorded a delivery report for each of `entries`,
    // then the accepted messages view must show them delivered.
    bool showDelivered(const QStringList& entries, int timeoutMs);
    // The mobile modem's COM button tool tip and its test's information text.
    QStringList mobileModemSeen() const { return m_mobileSeen; }
    // Entry texts seen in the outbox while waiting, with their prefixes.
    QStringList outboxStatesSeen() const { return m_seen; }

    // Saves a picture of a shown window.
    void shot(QWidget* window, const QString& name);
    // Clicks `opener` and, once the modal dialog it opens is up, hands it to
    // `act` (which must close it); false when no dialog came.
    static bool onModal(QWidget* opener, const std::function<void(QDialog&)>& act);
    // Lets window events run until `done` or the time is up.
    static bool waitFor(const std::function<bool()>& done, int timeoutMs);

private:
    bool fail(const QString& why);
    // Opens the connection settings with Configure and hands them to `act`.
    bool reconfigure(const std::function<bool(frmModemDetected&)>& act, int timeoutMs);
    bool walkMobileModem();

    QString m_installDir;
    QString m_shotDir;
    QString m_error;
    QStringList m_shots;
    QStringList m_seen;
    QStringList m_acceptedShown;
    QStringList m_mobileSeen;
    std::unique_ptr<QPixmap> m_brindleShot;
    bool m_connectionSet = false;
    std::unique_ptr<Installation> m_installation;
    std::unique_ptr<ClientStartup> m_startup;
};
