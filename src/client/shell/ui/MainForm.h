#pragma once

#include "client/shell/ui/MainFormControls.h"

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>

enum class ConnectionType;
struct ClientSettings;
class ComposeController;
class IntervalTimer;
class OutboxPanel;
class QAction;
class QMenu;
class QPushButton;
class RecipientsController;
class SendPanel;
class TrayIcon;

// The client's main window: it owns the lists and timers that carry the
// state, creates every control, and runs the load and shutdown sequences.
// Each area's behaviour lives in its own controller working on `controls()`.
class MainForm : public QMainWindow {
    Q_OBJECT
public:
    // `programDir` and `currentDir` locate the installation (AppPath.cfg).
    MainForm(ClientSettings& settings, QString programDir, QString currentDir,
             QWidget* parent = nullptr);
    ~MainForm() override;

    MainFormControls& controls() { return m_c; }
    SendPanel& sendPanel() { return *m_send; }
    OutboxPanel& outboxPanel() { return *m_outbox; }
    ClientSettings& settings() { return m_settings; }
    const QString& appPath() const { return m_appPath; }
    ComposeController& compose() { return *m_compose; }
    RecipientsController& recipients() { return *m_recipients; }

    // The load sequence; false when the user chose to exit in the options window.
    bool load();

    // Steps of the load other windows take part in; tests and later areas
    // replace them. Each returns nothing and may show modal windows.
    std::function<bool()> showOptionsWindow; // false: exit at once
    std::function<void()> showConnectionDialog;

    QString CurrentOperator;
    bool NOMAlive = true;
    int MaxSmsLength = 160;

    // Window-wide: the delivery poll, the Send Queue reminder, Exit and the
    // notification-area menu.
    IntervalTimer* Timer1 = nullptr;
    IntervalTimer* Timer2 = nullptr;
    QPushButton* Command3 = nullptr;
    QMenu* mnuPopup = nullptr;
    QAction* mnuShow = nullptr;

    void ShowInTray();
    // Hidden behind the notification-area icon.
    bool inTray() const;
    void RemoveTrayIcon();
    void mnuShow_Click();
    void Command3_Click();
    void ApplyBackColour();
    // What choosing a connection does to this window.
    void applyConnectionLayout(ConnectionType connection);

signals:
    // The window has been closed for good (close box, Exit or the program).
    void closed();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class ComposedMessage;
    class Recipients;

    void buildControls();
    void fillListsFromFiles();
    void saveAtShutdown();
    bool defaultOptionsWindow();

    ClientSettings& m_settings;
    QString m_programDir;
    QString m_currentDir;
    QString m_appPath;
    MainFormControls m_c;
    std::unique_ptr<ComposedMessage> m_message;
    std::unique_ptr<Recipients> m_recipientSource;
    std::unique_ptr<TrayIcon> m_tray;
    SendPanel* m_send = nullptr;
    OutboxPanel* m_outbox = nullptr;
    std::unique_ptr<ComposeController> m_compose;
    std::unique_ptr<RecipientsController> m_recipients;
    bool m_closing = false;
};
