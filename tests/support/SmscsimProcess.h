#pragma once

#include <QProcess>
#include <QStringList>
#include <csignal>

// A simulator program serving its own pseudo-terminal, stopped when it goes away.
class SmscsimProcess {
public:
    SmscsimProcess(const QString& program, const QStringList& args) {
        m_process.start(program, args);
        // Its first line is the pseudo-terminal's path, printed once it serves.
        while (m_process.waitForStarted(5000) && !m_process.canReadLine() &&
               m_process.waitForReadyRead(5000)) {
        }
        pty = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~SmscsimProcess() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    // Its exit code once it stopped by itself (after a SIGTERM when asked); -1 if it did not.
    int finish(bool terminate) {
        if (terminate)
            ::kill(pid_t(m_process.processId()), SIGTERM);
        const bool ended = m_process.waitForFinished(10000);
        return ended && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    QByteArray errors() { return m_process.readAllStandardError(); }
    QString pty; // empty when it did not come up

private:
    QProcess m_process;
};
