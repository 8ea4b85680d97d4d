#pragma once

#include "common/Colour.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

struct ClientSettings;
class Installation;
enum class ConnectionType;
class BrindleLauncher;
class ClickableLabel;
class ComposedMessageSource;
class DeliveryController;
class InternetRoute;
class IntervalTimer;
class OutboxPanel;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimeEdit;
class QToolButton;
class RecipientSource;
class SendController;

// The "Send" box of the main window: Send, the queue modes, Send Queue,
// scheduling, and the delivery that follows from them on the window's two
// timers (the poll and the Send Queue reminder).
class SendPanel : public QWidget {
    Q_OBJECT
public:
    struct Areas {
        OutboxPanel& outbox;
        ComposedMessageSource& message;
        RecipientSource& recipients;
        InternetRoute& internet;
    };
    struct Timers {
        IntervalTimer& poll;  // Timer1
        IntervalTimer& blink; // Timer2
    };
    SendPanel(ClientSettings& settings, const Installation& installation, Areas areas,
              Timers timers, std::unique_ptr<BrindleLauncher> launcher, QWidget* parent = nullptr);
    ~SendPanel() override;

    SendController& send() { return *m_send; }
    DeliveryController& delivery() { return *m_delivery; }

    // Load: the schedule date needs the modem route; later the saved
    // scheduled entries are offered and the date set to today.
    void beginLoad();
    void endLoad();
    // What choosing a connection does to the window.
    void applyConnectionLayout(ConnectionType connection);
    void applyBackColour(const std::optional<Colour>& colour);

    // What the window shows and allows of the box.
    void setRemaining(const QString& text);
    void enableSend(bool enabled);
    void enableConfigure();

signals:
    // Configure was clicked: the window opens the connection settings.
    void configureRequested();

private:
    // The controllers work the controls no other part of the program reaches.
    friend class DeliveryController;
    friend class SendController;

    void buildControls();

    QToolButton* Picture5 = nullptr; // Send
    ClickableLabel* lblSend = nullptr;
    QRadioButton* Option1 = nullptr; // Queue Messages
    QRadioButton* Option2 = nullptr; // Send Immediately
    QPushButton* Command2 = nullptr; // Send Queue
    // Opens the connection settings; enabled and disabled by the queue modes.
    QPushButton* cmdConfigure = nullptr;
    QDateEdit* dtSchDate = nullptr;
    QGroupBox* fraSMSRemaining = nullptr;
    QLabel* lblRemaining = nullptr;

    QGroupBox* fraSend = nullptr;
    QTimeEdit* txttime = nullptr;
    QToolButton* imgSchedule = nullptr;
    QToolButton* imgScheduledMessageQ = nullptr;

    ClientSettings& m_settings;
    OutboxPanel& m_outbox;
    IntervalTimer& m_poll;
    std::unique_ptr<SendController> m_send;
    std::unique_ptr<DeliveryController> m_delivery;
};
