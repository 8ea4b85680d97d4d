#pragma once

#include "client/outbox/DeliverySupervisor.h"
#include "common/Notice.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QTime>
#include <functional>
#include <optional>

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

    // The mode chosen; what the user is told about it, if anything.
    std::optional<Notice> queueMessagesChosen(int outboxCount, bool modem);
    std::optional<Notice> sendImmediatelyChosen(int outboxCount);
    // Timer2: the reminder's blink and the poll's keep-alive.
    void reminderTick(int outboxCount, int scheduledCount, bool modem);
    void stopBlinking();
    // Schedule: refusals first, then `build` makes the entries; the refusal
    // or the confirmation, none when `build` made none.
    std::optional<Notice> scheduleClicked(bool modem, const QDateTime& now,
                                          const std::function<bool()>& build);

    // Send schedules instead when a time other than 00:00 is chosen.
    static bool scheduleSet(const QTime& time);
    // After a Send: whether the entries wait for Send Queue, which then
    // blinks and the user is told so.
    static bool reminderDue(bool modem, bool queueMode, int outboxCount);
    static inline const QString kReminder =
        QStringLiteral("Select SEND QUEUE button to send queued messages.");
    // Load: the entries saved at the last exit and the question offering
    // them; on No, `dropSavedEntries` empties the file.
    static WithNotice<QStringList> savedEntries(const QString& appPath);
    static void dropSavedEntries(const QString& appPath);
    static void saveScheduledEntries(const QString& appPath, const QStringList& entries);

private:
    QueueControls& m_c;
    bool m_captionShown = false;
};
