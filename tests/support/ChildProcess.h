#pragma once

#include <QProcess>
#include <QStringList>

// A program a test runs, stopped with SIGTERM (as a service manager stops it)
// when it goes away, and killed when it will not stop.
class ChildProcess {
public:
    ~ChildProcess() { finish(true); }

    // Its exit code once it ended (after a SIGTERM when asked); -1 if it did not.
    int finish(bool terminate) {
        if (m_process.state() != QProcess::NotRunning) {
            if (terminate)
                m_process.terminate();
            if (!m_process.waitForFinished(10000)) {
                m_process.kill();
                m_process.waitForFinished();
                return -1;
            }
        }
        const bool ran = m_process.error() != QProcess::FailedToStart;
        return ran && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

protected:
    // Starts `program`; its first line on `channel`, printed once it serves.
    QString start(const QString& program, const QStringList& args,
                  QProcess::ProcessChannel channel) {
        m_process.setReadChannel(channel);
        m_process.start(program, args);
        while (m_process.waitForStarted(5000) && !m_process.canReadLine() &&
               m_process.waitForReadyRead(10000)) {
        }
        return QString::fromLocal8Bit(m_process.readLine());
    }

    QProcess m_process;
};
