#pragma once

#include <QObject>
#include <QString>

// What the status window "Quorvel Server Response" shows: a message and the
// state of its two buttons, "Ok" and "Connect". The window draws it; the
// delivery sets it. Every text follows one convention: a code, a colon, the
// message.
class ServerStatus : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool visible() const { return m_visible; }
    const QString& message() const { return m_message; }
    bool okEnabled() const { return m_ok; }           // cmdClose
    bool connectEnabled() const { return m_connect; } // cmdConnect

    void ShowServerStatus(const QString& text);
    void show();
    // Closing unloads the window: shown again, its buttons start enabled.
    void close();
    void setButtons(bool ok, bool connect);

    // The buttons.
    void okClicked();
    void connectClicked();

signals:
    void changed();
    // Each text shown, even one replaced at once.
    void shown(const QString& message);
    void okPressed();
    void connectRequested();

private:
    bool m_visible = false;
    QString m_message;
    bool m_ok = true;
    bool m_connect = true;
};
