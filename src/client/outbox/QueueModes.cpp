#include "client/outbox/QueueModes.h"

#include "client/outbox/MessageLists.h"
#include "common/InstallPath.h"
#include "common/LineFile.h"

std::optional<Notice> QueueModes::queueMessagesChosen(int outboxCount, bool modem) {
    if (outboxCount > 0) {
        m_c.setQueueMode(false);
        m_c.setSendQueueEnabled(false);
        m_c.setConfigureEnabled(false);
        m_c.startPoll();
        return Notice{"The Outbox is not empty. Messages cannot be Queued        "};
    }
    m_c.setQueueMode(true);
    m_c.setSendQueueEnabled(true);
    m_c.setConfigureEnabled(true);
    m_c.stopPoll();
    if (!modem)
        return std::nullopt;
    return Notice{"All New Messages in the Outbox will be Queued        "};
}

std::optional<Notice> QueueModes::sendImmediatelyChosen(int outboxCount) {
    if (outboxCount > 0) {
        m_c.setQueueMode(true);
        m_c.focusQueueMode();
        return std::nullopt;
    }
    m_c.setTime(QTime(0, 0));
    m_c.setQueueMode(false);
    m_c.setSendQueueEnabled(false);
    m_c.setConfigureEnabled(false);
    m_c.startPoll();
    return Notice{"All New Messages in the Outbox will be Sent Immediately        "};
}

void QueueModes::stopBlinking() {
    m_c.setBlinking(false);
    m_c.showSendQueue(true, false);
    m_captionShown = false;
}

void QueueModes::reminderTick(int outboxCount, int scheduledCount, bool modem) {
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

std::optional<Notice> QueueModes::scheduleClicked(bool modem, const QDateTime& now,
                                                  const std::function<bool()>& build) {
    if (!modem)
        return Notice{"The scheduling facility is only available in Modem connection option",
                      Notice::kWarningTitle, Notice::Mark::None};
    const QTime time = m_c.time();
    const QTime hourMinute(time.hour(), time.minute());
    if (!m_c.queueMode())
        return Notice{"Message cannot be scheduled in Send Immediately mode.",
                      Notice::kWarningTitle, Notice::Mark::None};
    const QDate date = m_c.date();
    if (!scheduleSet(hourMinute) || QDateTime(date, hourMinute) <= now) {
        m_c.focusTime();
        return Notice{"Schedule time is not valid.", Notice::kWarningTitle, Notice::Mark::None};
    }
    if (!build || !build())
        return std::nullopt;
    m_c.setTime(QTime(0, 0));
    return Notice{"The scheduled message(s) will be sent at " + hourMinute.toString("hh:mm") +
                      " on " + date.toString("d/M/yyyy") + ".",
                  Notice::kWarningTitle, Notice::Mark::Information};
}

bool QueueModes::scheduleSet(const QTime& time) {
    return time.hour() != 0 || time.minute() != 0;
}

bool QueueModes::reminderDue(bool modem, bool queueMode, int outboxCount) {
    return !modem || (queueMode && outboxCount > 0);
}

WithNotice<QStringList> QueueModes::savedEntries(const QString& appPath) {
    QStringList saved;
    for (const QString& line :
         LineFile::readAll(InstallPath::resolve(appPath, MessageLists::kScheduledFile)))
        if (!line.trimmed().isEmpty())
            saved << line;
    if (saved.isEmpty())
        return {};
    const QString question =
        QStringLiteral("There are some Pending Queued messages. Do you want to send or delete it?");
    const QString choices = QStringLiteral(" Choose Yes to send, No to delete.");
    return {saved, Notice{question + QStringLiteral("\r\n") + choices, Notice::kWarningTitle,
                          Notice::Mark::None, true, true}};
}

void QueueModes::dropSavedEntries(const QString& appPath) {
    LineFile::truncate(InstallPath::resolve(appPath, MessageLists::kScheduledFile));
}

void QueueModes::saveScheduledEntries(const QString& appPath, const QStringList& entries) {
    if (appPath.isEmpty())
        return;
    LineFile::rewrite(InstallPath::resolve(appPath, MessageLists::kScheduledFile), entries);
}
