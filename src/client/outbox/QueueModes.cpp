#include "client/outbox/QueueModes.h"

#include "client/outbox/MessageLists.h"
#include "common/InstallPath.h"
#include "common/LineFile.h"
#include "common/MessageBox.h"

void QueueModes::Option1_Click(int outboxCount, bool modem) {
    if (outboxCount > 0) {
        MessageBox::show("The Outbox is not empty. Messages cannot be Queued        ",
                         kQuorvelWarning, MessageBox::Icon::Warning);
        m_c.setQueueMode(false);
        m_c.setSendQueueEnabled(false);
        m_c.setConfigureEnabled(false);
        m_c.startPoll();
        return;
    }
    m_c.setQueueMode(true);
    m_c.setSendQueueEnabled(true);
    m_c.setConfigureEnabled(true);
    m_c.stopPoll();
    if (modem)
        MessageBox::show("All New Messages in the Outbox will be Queued        ", kQuorvelWarning,
                         MessageBox::Icon::Warning);
}

void QueueModes::Option2_Click(int outboxCount) {
    if (outboxCount > 0) {
        m_c.setQueueMode(true);
        m_c.focusQueueMode();
        return;
    }
    m_c.setTime(QTime(0, 0));
    m_c.setQueueMode(false);
    m_c.setSendQueueEnabled(false);
    m_c.setConfigureEnabled(false);
    m_c.startPoll();
    MessageBox::show("All New Messages in the Outbox will be Sent Immediately        ",
                     kQuorvelWarning, MessageBox::Icon::Warning);
}

void QueueModes::stopBlinking() {
    m_c.setBlinking(false);
    m_c.showSendQueue(true, false);
    m_captionShown = false;
}

void QueueModes::Timer2_Timer(int outboxCount, int scheduledCount, bool modem) {
    if (!modem && outboxCount == 0)
        stopBlinking();
    if (scheduledCount > 0) {
        // Keeps the poll alive for due entries; an interval of 0 never runs it.
        if (!m_c.pollRunning())
            m_c.startPoll();
        return;
    }
    if (m_c.queueMode() && outboxCount == 0) {
        m_c.setConfigureEnabled(true);
        m_c.stopPoll();
    }
    if (m_c.blinking()) {
        m_captionShown = !m_captionShown;
        m_c.showSendQueue(m_captionShown, m_captionShown);
    }
}

void QueueModes::imgSchedule_Click(bool modem, const QDateTime& now,
                                   const std::function<bool()>& build) {
    if (!modem) {
        MessageBox::show("The scheduling facility is only available in Modem connection option",
                         kQuorvelWarning);
        return;
    }
    const QTime time = m_c.time();
    const QTime hourMinute(time.hour(), time.minute());
    if (!m_c.queueMode()) {
        MessageBox::show("Message cannot be scheduled in Send Immediately mode.", kQuorvelWarning);
        return;
    }
    const QDate date = m_c.date();
    if (!scheduleSet(hourMinute) || QDateTime(date, hourMinute) <= now) {
        MessageBox::show("Schedule time is not valid.", kQuorvelWarning);
        m_c.focusTime();
        return;
    }
    if (!build || !build())
        return;
    MessageBox::show("The scheduled message(s) will be sent at " + hourMinute.toString("hh:mm") +
                         " on " + date.toString("d/M/yyyy") + ".",
                     kQuorvelWarning, MessageBox::Icon::Information);
    m_c.setTime(QTime(0, 0));
}

bool QueueModes::scheduleSet(const QTime& time) {
    return time.hour() != 0 || time.minute() != 0;
}

bool QueueModes::reminderDue(bool modem, bool queueMode, int outboxCount) {
    return !modem || (queueMode && outboxCount > 0);
}

QStringList QueueModes::offerSavedEntries(const QString& appPath) {
    const QString file = InstallPath::resolve(appPath, MessageLists::kScheduledFile);
    QStringList saved;
    for (const QString& line : LineFile::readAll(file))
        if (!line.trimmed().isEmpty())
            saved << line;
    if (saved.isEmpty())
        return {};
    const QString question =
        QStringLiteral("There are some Pending Queued messages. Do you want to send or delete it?");
    const QString choices = QStringLiteral(" Choose Yes to send, No to delete.");
    const auto answer =
        MessageBox::show(question + QStringLiteral("\r\n") + choices, kQuorvelWarning,
                         MessageBox::Icon::None, MessageBox::Buttons::YesNo);
    if (answer == MessageBox::Answer::Yes)
        return saved; // the window's list saves the file again
    LineFile::truncate(file);
    return {};
}

void QueueModes::saveScheduledEntries(const QString& appPath, const QStringList& entries) {
    if (appPath.isEmpty())
        return;
    LineFile::rewrite(InstallPath::resolve(appPath, MessageLists::kScheduledFile), entries);
}
