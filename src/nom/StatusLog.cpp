#include "nom/StatusLog.h"

#include "common/Clock.h"
#include "common/LineFile.h"

QString StatusLog::stamped(const QString& message) {
    return Clock::instance().now().toString(QStringLiteral("yy-MM-dd hh:mm:ss")) + ' ' + message;
}

QString StatusLog::visible(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QLatin1Char('^') + QChar(c.unicode() ^ 0x40);
        else
            out += c;
    }
    return out;
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
        LineFile::rewriteUnflushed(m_monitorLog, {line});
}
