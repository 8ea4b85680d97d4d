#include "client/outbox/BrindleLauncher.h"

#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <sys/types.h>

bool DetachedBrindleLauncher::start(const QString& program, const QString& workingDirectory) {
    qint64 pid = 0;
    if (!QProcess::startDetached(program, {}, workingDirectory, &pid))
        return false;
    m_pid = pid;
    m_program = QFileInfo(program).canonicalFilePath();
    return true;
}

namespace {
bool alive(qint64 pid) {
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) == 0;
}
QString exeOf(qint64 pid) {
    return QFileInfo(QString("/proc/%1/exe").arg(pid)).canonicalFilePath();
}
} // namespace

bool DetachedBrindleLauncher::running() const {
    // The detached process is nobody's child here, so no zombie keeps its pid
    // alive; a pid reused by another program does not count.
    if (!alive(m_pid))
        return false;
    const QString exe = exeOf(m_pid);
    return exe.isEmpty() || exe == m_program;
}

void DetachedBrindleLauncher::terminate() {
    // Only a process known to be ours is ever killed.
    if (alive(m_pid) && exeOf(m_pid) == m_program)
        ::kill(static_cast<pid_t>(m_pid), SIGKILL);
}
