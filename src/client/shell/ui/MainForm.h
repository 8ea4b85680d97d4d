#pragma once

#include "client/modem_setup/MainWindowLink.h"

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>

struct ClientSettings;
class CompositionPanel;
class ContactsController;
class Installation;
class IntervalTimer;
class InternetController;
class ListWidgetEntryList;
class OutboxPanel;
class QAction;
class QHBoxLayout;
class QMenu;
class QPushButton;
class RecipientsPanel;
class SendPanel;
class TrayIcon;
class frmModemDetected;

// The client's main window: it lays out the areas' panels and wires them,
// owns the timers, the notification-area icon and Exit, and runs the load
// and shutdown sequences.
class MainForm : public QMainWindow, public MainWindowLink {
    Q_OBJECT
public:
    // The load settles `installation` (AppPath.cfg).
    MainForm(ClientSettings& settings, Installation& installation, QWidget* parent = nullptr);
    ~MainForm() override;

    CompositionPanel& compositionPanel() { return *m_compose; }
    SendPanel& sendPanel() { return *m_send; }
    OutboxPanel& outboxPanel() { return *m_outbox; }
    RecipientsPanel& recipientsPanel() { return *m_recipients; }
    ContactsController& contacts() { return *m_contacts; }
    // The Internet route; its sign-on runs when OK of the connection settings
    // confirms the Internet connection.
    InternetController& internet() { return *m_internet; }
    ClientSettings& settings() { return m_settings; }
    const Installation& installation() const { return m_installation; }

    // The load sequence; false when the user chose to exit in the options window.
    bool load();

    // Steps of the load other windows take part in; tests and later areas
    // replace them. Each may show modal windows.
    std::function<bool()> showOptionsWindow; // false: exit at once
    // Runs the connection settings dialog once made (modal for the user; the
    // demo's walk acts in the user's place).
    std::function<void(frmModemDetected&)> runConnectionDialog;

    // Minimised behind the notification-area icon, where there is one.
    void showInTray();
    // Hidden behind the notification-area icon.
    bool inTray() const;

    // What choosing a connection does to this window.
    void applyConnectionLayout(ConnectionType connection) override;
    void setSendEnabled(bool enabled) override;
    // A panel beside the frames (the docked contacts window): the frames move
    // right and the window grows by the panel's width, centred on the screen.
    void dockSidePanel(QWidget* panel);
    void undockSidePanel(QWidget* panel);
    // No larger than the screen's free area (Exit and the panel's buttons
    // stay in reach), centred on it.
    void fitToScreen();

signals:
    // The window has been closed for good (close box, Exit or the program).
    void closed();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // A double click on the notification-area icon.
    void restoreFromTray(bool activate);
    // "Show Quorvel" in the notification-area menu.
    void showWindowChosen();
    // Exit: asks first while the outbox holds entries.
    void exitClicked();
    // The connection settings dialog (the load, Configure and the Internet
    // route's Connect).
    void showConnectionSettings();

    void applyBackColour();
    void buildPanels();
    void buildInternet();
    void saveAtShutdown();
    bool defaultOptionsWindow();

    ClientSettings& m_settings;
    Installation& m_installation;
    std::unique_ptr<TrayIcon> m_tray;
    CompositionPanel* m_compose = nullptr;
    SendPanel* m_send = nullptr;
    OutboxPanel* m_outbox = nullptr;
    RecipientsPanel* m_recipients = nullptr;
    ContactsController* m_contacts = nullptr;
    QHBoxLayout* m_top = nullptr;
    class InternetWindowLink;
    std::unique_ptr<InternetWindowLink> m_internetLink;
    std::unique_ptr<ListWidgetEntryList> m_outboxEntries;
    std::unique_ptr<ListWidgetEntryList> m_operatorQueue;
    std::unique_ptr<InternetController> m_internet;
    // Window-wide: the delivery poll, the Send Queue reminder, Exit and the
    // notification-area menu.
    IntervalTimer* m_pollTimer = nullptr;
    IntervalTimer* m_reminderTimer = nullptr;
    QPushButton* m_exitButton = nullptr;
    QMenu* m_trayMenu = nullptr;
    QAction* m_showAction = nullptr;
    bool m_closing = false;
};
