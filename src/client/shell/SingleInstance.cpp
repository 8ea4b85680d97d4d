#include "client/shell/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString& appPath, const QString& lockDir) {
    QString dir = lockDir;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    const QByteArray key =
        QCryptographicHash::hash(QDir::cleanPath(appPath).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    m_path = dir + "/quorvel-" + QString::fromLatin1(key) + ".lock";
    m_lock = std::make_unique<QLockFile>(m_path);
    // Only a lock whose process is gone is stale, never one that is merely old.
    m_lock->setStaleLockTime(0);
}

bool SingleInstance::acquire() {
    return m_lock->tryLock(0);
}
