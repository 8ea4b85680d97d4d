#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The message-centre simulator of an installed tree, running on its own
// pseudo-terminal for one test, stopped when the test ends.
class SimulatorProcess {
public:
    SimulatorProcess(const QString& installRoot, const QStringList& options);
    ~SimulatorProcess();
    bool ready() const { return !m_pty.isEmpty(); }
    QString pty() const { return m_pty; }
    QString record() const { return m_record; }
    QByteArray recorded() const;

private:
    QProcess m_process;
    QString m_pty;
    QString m_record;
};
