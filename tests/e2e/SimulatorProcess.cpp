#include "SimulatorProcess.h"

#include <QDir>
#include <QFile>

SimulatorProcess::SimulatorProcess(const QString& installRoot, const QStringList& options) {
    QDir().mkpath(installRoot + "/run");
    m_record = installRoot + "/run/record.txt";
    m_process.start(installRoot + "/bin/smscsim",
                    QStringList{"--record", m_record, "--transcript",
                                installRoot + "/run/transcript.txt", "--lifetime", "600"} +
                        options);
    if (!m_process.waitForStarted(5000))
        return;
    // Its first line is the pseudo-terminal's path, printed once it serves.
    while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
    }
    m_pty = QString::fromLocal8Bit(m_process.readLine()).trimmed();
}

SimulatorProcess::~SimulatorProcess() {
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
}

QByteArray SimulatorProcess::recorded() const {
    QFile f(m_record);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
