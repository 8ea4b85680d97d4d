#pragma once

#include <QObject>

class QMainWindow;
class QMenu;
class QSystemTrayIcon;

// The notification-area icon: tip, double click to restore, one-item menu.
// Where the desktop has no notification area, minimising simply minimises.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    TrayIcon(QMainWindow* window, QMenu* popup);
    ~TrayIcon() override;

    static bool available();
    // Adds the icon; false where there is no notification area.
    bool show();
    void remove();
    bool visible() const;

    static QString tip();

signals:
    void restoreRequested(bool activate);

private:
    QMainWindow* m_window;
    QMenu* m_popup;
    QSystemTrayIcon* m_icon = nullptr;
};
