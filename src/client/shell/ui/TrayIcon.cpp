#include "client/shell/ui/TrayIcon.h"

#include <QMainWindow>
#include <QMenu>
#include <QSystemTrayIcon>

TrayIcon::TrayIcon(QMainWindow* window, QMenu* popup) : m_window(window), m_popup(popup) {}

TrayIcon::~TrayIcon() {
    remove();
}

bool TrayIcon::available() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QString TrayIcon::tip() {
    return QStringLiteral("Quorvel messaging for you!");
}

bool TrayIcon::show() {
    if (!available())
        return false;
    if (!m_icon) {
        m_icon = new QSystemTrayIcon(m_window->windowIcon(), this);
        m_icon->setToolTip(tip().left(63));
        m_icon->setContextMenu(m_popup);
        connect(m_icon, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::DoubleClick)
                        emit restoreRequested(true);
                });
    }
    m_icon->show();
    return true;
}

void TrayIcon::remove() {
    if (m_icon) {
        m_icon->hide();
        delete m_icon;
        m_icon = nullptr;
    }
}

bool TrayIcon::visible() const {
    return m_icon && m_icon->isVisible();
}
