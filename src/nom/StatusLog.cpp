#include "nom/StatusLog.h"

#include "common/Clock.h"
#include "common/LineFile.h"
#include "nom/ReplaceFile.h"

QString StatusLog::stamped(const QString& message) {
    return Clock::instance().now().toString(QStringLiteral("yy-MM-dd hh:mm:ss")) + ' ' + message;
}

void StatusLog::DisplayStatus(const QString& StatusMessage) {
    m_pane += StatusMessage + QStringLiteral("\r\n");
    if (m_pane.size() > kPaneLimit)
        m_pane = m_pane.right(kPaneLimit);
    if (m_statusHook)
        m_statusHook(StatusMessage);

    const QString line = stamped(StatusMessage);
    if (!m_smscLog.isEmpty())
        LineFile::append(m_smscLog, line);
    if (!StatusMessage.isEmpty() && !m_monitorLog.isEmpty())
        ReplaceFile::writeUnflushed(m_monitorLog, {line});
}
