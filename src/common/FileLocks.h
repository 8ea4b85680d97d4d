#pragma once

#include <QString>

// Locks between the programs of one installation. Each is tied to an open
// file, so a process that dies releases what it held.
namespace FileLocks {

// Held by whoever starts Brindle, from the "running?" check until the new run
// holds its run lock, so two starters never start two runs.
inline const QString kStartLock = QStringLiteral("NOM\\UK\\Cellnet\\Config\\Brindle.sta");
// Held by Brindle for its whole run.
inline const QString kRunLock = QStringLiteral("NOM\\UK\\Cellnet\\Config\\Brindle.run");
// Held around every reservation of message ids.
inline const QString kMessageIdLock = QStringLiteral("Config\\MsgID.lck");

// An exclusive advisory lock (flock) on `file`, made when missing.
class FileLock {
public:
    enum class Mode { Wait, Try };
    FileLock(const QString& file, Mode mode);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Brindle's run lock. An open-file-description lock rather than flock, so
// that others can ask whether it is held without ever taking it: a probe that
// took it for an instant could make a starting Brindle refuse.
class RunLock {
public:
    explicit RunLock(const QString& appPath);
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Whether a Brindle of the installation below `appPath` holds its run lock.
bool brindleRunning(const QString& appPath);

} // namespace FileLocks
