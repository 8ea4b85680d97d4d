#pragma once

#include <QFile>
#include <QString>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Makes a file unwritable for this process while it lives, also when the
// tests run as root: the write bits are cleared and the power to override
// them is set aside until the end of the scope.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(QString path) : m_path(std::move(path)) {
        m_permissions = QFile::permissions(m_path);
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        if (::syscall(SYS_capget, &m_header, m_saved) == 0) {
            __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
            lowered[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
            m_lowered = ::syscall(SYS_capset, &m_header, lowered) == 0;
        }
    }
    ~ReadOnlyFile() { release(); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // The file really cannot be opened for writing.
    bool holds() const {
        QFile f(m_path);
        return !f.open(QIODevice::WriteOnly | QIODevice::Append);
    }
    void release() {
        if (m_released)
            return;
        m_released = true;
        if (m_lowered)
            ::syscall(SYS_capset, &m_header, m_saved);
        QFile::setPermissions(m_path, m_permissions);
    }

private:
    QString m_path;
    QFile::Permissions m_permissions;
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_lowered = false;
    bool m_released = false;
};
