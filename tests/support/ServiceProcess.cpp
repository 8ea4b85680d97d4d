#include "support/ServiceProcess.h"

#include <QRegularExpression>
#include <csignal>

ServiceProcess::ServiceProcess(const QString& db) : m_db(db) {
    m_process.setReadChannel(QProcess::StandardError);
    m_process.start(QUORVEL_SERVICE_PATH, {"--port", "0", "--db", db});
    // Its first line names the address it listens on.
    while (!log.contains('\n') && m_process.waitForReadyRead(10000))
        log += m_process.readAllStandardError();
    port = QRegularExpression(":(\\d+)/quorvel/quorvel.asp").match(log).captured(1).toInt();
}

int ServiceProcess::stop() {
    if (m_process.state() != QProcess::NotRunning) {
        ::kill(pid_t(m_process.processId()), SIGTERM);
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
        log += m_process.readAllStandardError();
    }
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QByteArray ServiceProcess::list(const QStringList& user) const {
    QProcess p;
    p.start(QUORVEL_SERVICE_PATH, QStringList{"--list"} + user + QStringList{"--db", m_db});
    p.waitForFinished(10000);
    return p.readAllStandardOutput();
}
