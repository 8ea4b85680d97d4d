#pragma once

#include "nom/AliveCounter.h"
#include "nom/BrindleConfig.h"
#include "nom/MobileRoute.h"
#include "nom/Modem.h"
#include "nom/QueueStore.h"
#include "nom/StatusLog.h"
#include "nom/TapSession.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>

class SerialLine;

// Brindle's run from start to its own end: the send timer (one connection
// attempt and send cycle per tick, retry counting, giving up), the alive
// timer, and the queue. No widgets: the window shows what it reports, and
// tests drive the timer handlers directly.
class BrindleController : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimerIntervalMs = 2000;
    // A message the SMSC times out on (or loses the line on, after taking an
    // earlier one in the call) this many cycles in a row uses up a retry.
    static constexpr int kTimeoutsPerRetry = 3;
    // A message the SMSC asks for again (NAK) in this many cycles in a row is dropped.
    static constexpr int kResentCycles = 3;

    BrindleController(SerialLine& line, QString programDir, QString currentDir,
                      QObject* parent = nullptr);
    ~BrindleController() override;

    // The window's load: settings, "INUSE", configuration. A configuration
    // that cannot drive a run ends it here.
    void start();
    // The program's timers; tests call the handlers themselves. The first
    // send tick comes after the configured first-tick pause, the next ones
    // at the timer's interval.
    void startTimers();

    // The send timer: a send cycle, unless one is running.
    void sendTick();
    // The alive timer: Brindle.pin gets the next count.
    void aliveTick();
    void exitClicked();

    bool sendTimerOn() const { return m_sendTimerOn; }
    bool hasEnded() const { return m_ended; }
    QString endedAs() const { return m_endedAs; }
    bool online() const { return m_online; }
    qint16 retriesLeft() const { return m_retriesLeft; }
    QStringList messageQueue() const { return m_queue; }
    QStringList sentQueue() const { return m_sent; }
    const BrindleConfig& config() const { return m_config; }
    const StatusLog& statusLog() const { return m_status; }
    QString appPath() const { return m_config.appPath; }

signals:
    // One status text more in the pane (statusLog().paneText()).
    void statusAdded(const QString& text);
    // The modem screen: emptied or its first characters dropped, then `append` added.
    void modemScreenChanged(bool cleared, qsizetype dropFront, const QString& append);
    void portShown(const QString& portText);
    void lineSettingsShown(const QString& settingsText);
    void settingsShown(const QString& dialString, const QString& lineSpeed);
    void queuesChanged(const QStringList& messageQueue, const QStringList& sentQueue);
    void sendTimerSwitched(bool on);
    // "COMPLETE", "CRASH" or "EXIT": the program ends now.
    void finished(const QString& how);

private:
    void ReadInboxs();
    void takeEntries(bool withCarryOver);
    void sendCycle();
    bool GoOnline();
    bool SendAllMessages();
    Failure renewLogon();
    // Whether a failed cycle costs no retry.
    bool refunds(Failure failure);
    void failCycle(Failure failure, bool report = true);
    void SetOnline();
    void SetOffline();
    void setSendTimer(bool on);
    void dropFirst();
    void acceptFirst(const QString& entry);
    void settleAccepted();
    void queueChanged();
    void giveUp(const QStringList& reasons);
    void exitNow();
    // Ended, or Exit was clicked and the send cycle is unwinding.
    bool stopping() const { return m_ended || m_exitRequested; }
    void end(const QString& how);
    void DisplayStatus(const QString& text) { m_status.DisplayStatus(text); }

    QString m_programDir;
    QString m_currentDir;
    BrindleConfig m_config;
    StatusLog m_status;
    Modem m_modem;
    TapSession m_tap;
    // Set when Port.cfg names a mobile modem: entries go out through it, not a call.
    std::unique_ptr<MobileRoute> m_mobile;
    std::unique_ptr<QueueStore> m_store;
    AliveCounter m_alive;

    QStringList m_queue;
    QStringList m_sent;
    qint16 m_retriesLeft = 0;
    int m_logonCount = 0;
    bool m_online = false;
    bool m_inTick = false;
    bool m_ended = false;
    bool m_exitRequested = false;
    QString m_endedAs;
    // The entry a cycle last failed on, and in how many cycles in a row.
    class Streak {
    public:
        int count(const QString& entry);

    private:
        QString m_entry;
        int m_count = 0;
    };
    Streak m_unanswered;
    Streak m_resent;
    int m_acceptedInCall = 0;

    bool m_sendTimerOn = false;
    bool m_realTimers = false;
    QTimer m_sendTimer;
    QTimer m_aliveTimer;
};
