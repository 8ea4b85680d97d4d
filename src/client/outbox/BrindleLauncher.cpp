#include "client/outbox/BrindleLauncher.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

QString DetachedBrindleLauncher::startProblem(const QString& program) const {
    const QByteArray native = QFile::encodeName(program);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        return QString::fromLocal8Bit(std::strerror(EISDIR));
    if (::access(native.constData(), X_OK) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString();
}

bool DetachedBrindleLauncher::start(const QString& program, const QString& workingDirectory,
                                    QString& error) {
    QProcess process;
    process.setProgram(program);
    process.setWorkingDirectory(workingDirectory);
    // It outlives its starter: holding the starter's terminal or pipes open
    // would keep a script reading them waiting for the whole run.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(m_errorFile.isEmpty() ? QProcess::nullDevice() : m_errorFile);
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
        error = process.errorString();
        return false;
    }
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

QString DetachedBrindleLauncher::lastWords() const {
    QFile file(m_errorFile);
    if (m_errorFile.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    // The first line names the cause; what follows is detail (the platform
    // plugins tried, and so on). Bounded: the file is whatever it wrote.
    for (QByteArray line = file.readLine(4096); !line.isEmpty(); line = file.readLine(4096)) {
        QString text = QString::fromLocal8Bit(line);
        for (QChar& c : text)
            if (c.category() == QChar::Other_Control)
                c = ' ';
        if (text = text.simplified(); !text.isEmpty())
            return text;
    }
    return {};
}

void DetachedBrindleLauncher::terminate() {
    // Only a process known to be ours is ever killed.
    if (alive(m_pid) && exeOf(m_pid) == m_program)
        ::kill(static_cast<pid_t>(m_pid), SIGKILL);
}
