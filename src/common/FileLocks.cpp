#include "common/FileLocks.h"

#include "common/InstallPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace FileLocks {

namespace {

int openLockFile(const QString& file, int flags) {
    if (flags & O_CREAT)
        QDir().mkpath(QFileInfo(file).absolutePath());
    return ::open(QFile::encodeName(file).constData(), flags | O_CLOEXEC, 0644);
}

struct flock wholeFile(short type) {
    struct flock l {};
    l.l_type = type;
    l.l_whence = SEEK_SET;
    return l;
}

} // namespace

FileLock::FileLock(const QString& file, Mode mode) {
    m_fd = openLockFile(file, O_RDWR | O_CREAT);
    if (m_fd < 0)
        return;
    const int op = LOCK_EX | (mode == Mode::Try ? LOCK_NB : 0);
    int rc;
    do {
        rc = ::flock(m_fd, op);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

FileLock::~FileLock() {
    if (m_fd >= 0)
        ::close(m_fd);
}

RunLock::RunLock(const QString& appPath) {
    m_fd = openLockFile(InstallPath::resolve(appPath, kRunLock), O_RDWR | O_CREAT);
    if (m_fd < 0)
        return;
    struct flock l = wholeFile(F_WRLCK);
    if (::fcntl(m_fd, F_OFD_SETLK, &l) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

RunLock::~RunLock() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool brindleRunning(const QString& appPath) {
    const int fd = openLockFile(InstallPath::resolve(appPath, kRunLock), O_RDONLY);
    if (fd < 0)
        return false; // never made: no run has ever held it
    struct flock l = wholeFile(F_WRLCK);
    const bool held = ::fcntl(fd, F_OFD_GETLK, &l) == 0 && l.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

} // namespace FileLocks
