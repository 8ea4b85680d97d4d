#pragma once

#include <QString>
#include <functional>

// Where every status text of Brindle goes: the status pane (its last 16000
// characters), the SMSC log (everything, time-stamped) and NOMMon.log (the
// latest non-empty line).
class StatusLog {
public:
    static constexpr qsizetype kPaneLimit = 16000;

    void setMonitorLog(const QString& path) { m_monitorLog = path; }
    // No SMSC log until the configuration names one.
    void setSmscLog(const QString& path) { m_smscLog = path; }
    QString smscLog() const { return m_smscLog; }
    // Runs with each status text once the pane holds it.
    void onStatus(std::function<void(const QString&)> hook) { m_statusHook = std::move(hook); }

    void DisplayStatus(const QString& StatusMessage);

    QString paneText() const { return m_pane; }
    static QString stamped(const QString& message);
    // A text from outside as a status line may show it: control characters
    // in caret notation ("^C"), so none reaches a log or a terminal raw.
    static QString visible(const QString& text);

private:
    QString m_pane;
    QString m_monitorLog;
    QString m_smscLog;
    std::function<void(const QString&)> m_statusHook;
};
