#pragma once

#include "client/outbox/DeliverySupervisor.h"
#include "client/outbox/QueueModes.h"
#include "client/outbox/ui/ListWidgetEntryList.h"

#include <QObject>
#include <functional>
#include <memory>

class BrindleLauncher;
struct ClientSettings;
class Installation;
class InternetRoute;
class IntervalTimer;
class MessageListWindow;
class OutboxPanel;
class SendPanel;

// The main window's delivery: the poll on Timer1, the queue modes, the Send
// Queue reminder on Timer2, scheduling, the saved scheduled entries and the
// three message lists.
class DeliveryController : public QObject, private QueueControls {
    Q_OBJECT
public:
    DeliveryController(SendPanel& controls, OutboxPanel& lists, IntervalTimer& poll,
                       IntervalTimer& blink, ClientSettings& settings,
                       const Installation& installation, std::unique_ptr<BrindleLauncher> launcher,
                       InternetRoute& internet, QObject* parent = nullptr);
    ~DeliveryController() override;

    DeliverySupervisor& supervisor() { return *m_supervisor; }
    BrindleLauncher& launcher() { return *m_launcher; }

    // Hooks to the outbox and the Send button.
    std::function<void(const QString&)> addOperatorQueue;
    std::function<bool()> buildScheduledEntries;
    // Opens a message list modally; tests replace it to look at the window.
    std::function<void(MessageListWindow&)> showList;

    void queueMessagesChosen();
    void sendImmediatelyChosen();
    void reminderTick();
    void scheduleClicked();
    void showAcceptedList();
    void showFailedList();
    void showScheduledList();
    // Load: offer the scheduled entries saved at the last exit.
    void offerSavedEntries();
    // Keeps Config\ScdMsgs.rcv equal to the scheduled list, so a crash loses none.
    void saveScheduledEntries();

    bool blinking() const override;
    void setBlinking(bool on) override;

private:
    void setConfigureEnabled(bool enabled) override;
    void startPoll() override;
    void stopPoll() override;
    bool pollRunning() const override;
    bool queueMode() const override;
    void stopBlinking() override;
    void setQueueMode(bool queue) override;
    void setSendQueueEnabled(bool enabled) override;
    void focusQueueMode() override;
    void showSendQueue(bool caption, bool bold) override;
    QDate date() const override;
    QTime time() const override;
    void setTime(const QTime& time) override;
    void focusTime() override;
    void openList(const QString& caption, const QString& tag);

    SendPanel& m_c;
    OutboxPanel& m_lists;
    IntervalTimer& m_poll;
    ClientSettings& m_settings;
    const Installation& m_installation;
    std::unique_ptr<BrindleLauncher> m_launcher;
    ListWidgetEntryList m_outbox;
    ListWidgetEntryList m_queue;
    ListWidgetEntryList m_schedule;
    std::unique_ptr<DeliverySupervisor> m_supervisor;
    QueueModes m_modes{*this};
    bool m_savePending = false;
};
