#pragma once

#include "client/outbox/DeliverySupervisor.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QTime>
#include <functional>

// The Send box as the queue modes, the Send Queue reminder and the schedule
// action see it; the window implements it over its controls.
class QueueControls : public DeliveryControls {
public:
    // Selects "Queue Messages", or "Send Immediately" when `queue` is false.
    virtual void setQueueMode(bool queue) = 0;
    virtual void setSendQueueEnabled(bool enabled) = 0;
    virtual void focusQueueMode() = 0;
    // The reminder marker on the Send button.
    virtual bool blinking() const = 0;
    virtual void setBlinking(bool on) = 0;
    // The Send Queue caption: "Send Queue" (bold or not), or empty.
    virtual void showSendQueue(bool caption, bool bold) = 0;
    // The schedule pickers; the time is hour and minute.
    virtual QDate date() const = 0;
    virtual QTime time() const = 0;
    virtual void setTime(const QTime& time) = 0;
    virtual void focusTime() = 0;
};

// Queue Messages and Send Immediately, the blinking Send Queue reminder and
// the poll's keep-alive on Timer2, the schedule action and the scheduled
// entries saved across a restart.
class QueueModes {
public:
    explicit QueueModes(QueueControls& controls) : m_c(controls) {}

    void Option1_Click(int outboxCount, bool modem);
    void Option2_Click(int outboxCount);
    void Timer2_Timer(int outboxCount, int scheduledCount, bool modem);
    void stopBlinking();
    // imgSchedule: refusals first, then `build` makes the entries.
    void imgSchedule_Click(bool modem, const QDateTime& now, const std::function<bool()>& build);

    // Send schedules instead when a time other than 00:00 is chosen.
    static bool scheduleSet(const QTime& time);
    // After a Send: whether the entries wait for Send Queue, which then
    // blinks and the user is told so.
    static bool reminderDue(bool modem, bool queueMode, int outboxCount);
    static inline const QString kReminder =
        QStringLiteral("Select SEND QUEUE button to send queued messages.");
    // Load: offers the entries saved at the last exit; the ones to schedule
    // again on Yes, none (and the file emptied) on No.
    static QStringList offerSavedEntries(const QString& appPath);
    static void saveScheduledEntries(const QString& appPath, const QStringList& entries);

private:
    QueueControls& m_c;
    bool m_captionShown = false;
};
