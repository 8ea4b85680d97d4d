#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// One client per installation: the lock is named after the installation
// directory, so two installations run side by side.
class SingleInstance {
public:
    explicit SingleInstance(const QString& appPath, const QString& lockDir = QString());
    // False when another client of this installation holds the lock.
    bool acquire();
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
