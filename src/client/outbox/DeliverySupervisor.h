#pragma once

#include "common/FileLocks.h"
#include "common/Notice.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class AcceptedIndex;
class BrindleLauncher;
struct ClientSettings;
class EntryList;
class Installation;
class InternetRoute;

// What the delivery poll does to the window besides its lists.
class DeliveryControls {
public:
    virtual ~DeliveryControls() = default;
    virtual void setConfigureEnabled(bool enabled) = 0;
    virtual void startPoll() = 0; // does nothing while the poll's interval is 0
    virtual void stopPoll() = 0;
    virtual bool pollRunning() const = 0;
    virtual bool queueMode() const = 0; // "Queue Messages" selected
    virtual void stopBlinking() = 0;
};

// The client side of the hand-over to the operator module: the poll that
// releases due scheduled entries, marks entries accepted from Brindle.out,
// moves them to the accepted file, reads the state word, and starts Brindle
// when it is idle; the crash handling; the alive check; Send Queue. What the
// poll has to tell the user goes out through `notice`, which the window shows.
class DeliverySupervisor : public QObject {
    Q_OBJECT
public:
    struct Lists {
        EntryList& outbox;
        EntryList& operatorQueue; // ListCellnet
        EntryList& schedule;      // schedulebox
    };

    DeliverySupervisor(const Installation& installation, Lists lists, DeliveryControls& controls,
                       BrindleLauncher& launcher, InternetRoute& internet, ClientSettings& settings,
                       QObject* parent = nullptr);
    ~DeliverySupervisor() override;

    // AddOperatorQueue of the outbox: queue and hand one entry to the inbox.
    std::function<void(const QString&)> addOperatorQueue;

    // Timer1.
    void poll();
    // Send Queue; the refusal of an empty outbox.
    std::optional<Notice> sendQueueClicked();
    // Due scheduled entries go to the outbox and the operator queue, in order.
    void releaseDueEntries();

    void WriteMsgQueue();
    void ClearAcceptedMsgs();
    void ChangeStatus2Accepted(const QString& code);
    void ChangeStatus2Pending(const QString& code);
    void ChangeNOM(const QString& word);
    void WriteCurrentNOM(const QString& code);
    void PingNOM(const QString& code);
    // False once the module's alive counter has stood still too long.
    bool nomAlive() const { return m_nomAlive; }

    // How long the alive counter may stand still before the module counts as dead.
    static constexpr qint64 kSilentEndedMs = 10000;
    static constexpr qint64 kSilentRunningMs = 30000;
    // How long after a failed start of the module the poll tries again by itself.
    static constexpr qint64 kStartRetryMs = 60000;
    // Between runs started for entries an ended run left in the inbox.
    static constexpr qint64 kLeftoverRetryMs = 5000;
    // How long a started run may take to hold its run lock before the start
    // lock is let go anyway.
    static constexpr qint64 kRunLockWaitMs = 10000;

signals:
    void notice(const Notice& notice);

private:
    bool brindleDead();
    void crashHandling();
    bool startDue() const;
    bool leftInInbox() const;
    void startBrindle();
    // Lets the start lock go once the run started holds its run lock (or has
    // ended without it); true while it is still held.
    bool startPending(bool running);

    const Installation& m_installation;
    Lists m_lists;
    DeliveryControls& m_controls;
    BrindleLauncher& m_launcher;
    InternetRoute& m_internet;
    ClientSettings& m_settings;
    bool m_nomAlive = true;
    std::unique_ptr<AcceptedIndex> m_accepted;
    QString m_acceptedPath;
    bool m_inTick = false;

    // Alive check: the last counter value seen, and when it last changed.
    QString m_lastPing;
    qint64 m_lastPingChange = 0;
    bool m_inUseSeen = false;

    // After a failed start: when to try again (-1: at once), and whether the
    // user has been told.
    qint64 m_startRetryAt = -1;
    qint64 m_leftoverRetryAt = -1;
    bool m_startFailureTold = false;

    // Held from a start until the run holds its run lock.
    std::unique_ptr<FileLocks::FileLock> m_startLock;
    qint64 m_startLockUntil = 0;
};
