#include "support/TestInstallation.h"

#include "common/ComPorts.h"
#include "common/ExchangeFiles.h"
#include "common/InstallPath.h"
#include "common/LineFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace {

void copyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString rel = QDir(from).relativeFilePath(src);
        if (rel == "CMakeLists.txt")
            continue;
        const QString dst = to + '/' + rel;
        if (it.fileInfo().isDir())
            QDir().mkpath(dst);
        else {
            QDir().mkpath(QFileInfo(dst).absolutePath());
            QFile::copy(src, dst);
            QFile(dst).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::ReadOther);
        }
    }
}

} // namespace

void TestInstallation::mapPortsAway(const QString& appPath) {
    QStringList absent;
    for (int n = 1; n <= ComPorts::kPortCount; ++n)
        absent << appPath + QStringLiteral("absent-port/COM%1").arg(n);
    if (!LineFile::rewrite(ExchangeFiles::path(appPath, ExchangeFiles::kComPorts), absent))
        throw std::runtime_error("cannot map the serial ports away");
}

QString TestInstallation::sourceDir() {
    const QString s = qEnvironmentVariable("QUORVEL_SOURCE_DIR");
    return s.isEmpty() ? QStringLiteral(QUORVEL_SOURCE_DIR_DEFAULT) : s;
}

QString TestInstallation::binaryDir() {
    const QString s = qEnvironmentVariable("QUORVEL_BINARY_DIR");
    return s.isEmpty() ? QStringLiteral(QUORVEL_BINARY_DIR_DEFAULT) : s;
}

TestInstallation::TestInstallation(Contents contents) {
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder");
    if (contents == Contents::ShippedData) {
        copyTree(sourceDir() + "/data/install", m_dir.path());
        for (const char* d : {"Config", "NOM/UK/Cellnet/Config", "NOMMon/Logs"})
            QDir().mkpath(m_dir.path() + '/' + d);
        mapPortsAway(appPath());
    }
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    m_oldRegistry = qgetenv("QUORVEL_REGISTRY");
    qputenv("QUORVEL_REGISTRY", QFile::encodeName(m_dir.path() + "/registry.ini"));
    // The client's web cache too stays inside.
    m_oldCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.path() + "/.cache"));
}

TestInstallation::~TestInstallation() {
    QDir::setCurrent(m_oldCwd);
    if (m_oldRegistry.isEmpty())
        qunsetenv("QUORVEL_REGISTRY");
    else
        qputenv("QUORVEL_REGISTRY", m_oldRegistry);
    if (m_oldCache.isEmpty())
        qunsetenv("XDG_CACHE_HOME");
    else
        qputenv("XDG_CACHE_HOME", m_oldCache);
}

QString TestInstallation::appPath() const {
    return m_dir.path() + '/';
}

QString TestInstallation::file(const QString& relative) const {
    return InstallPath::resolve(appPath(), relative);
}

QByteArray TestInstallation::bytes(const QString& relative) const {
    QFile f(file(relative));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

void TestInstallation::writeBytes(const QString& relative, const QByteArray& bytes) const {
    const QString p = file(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write test file");
    f.write(bytes);
}

void TestInstallation::remove(const QString& relative) const {
    const QString p = file(relative);
    if (QFileInfo(p).isDir())
        QDir(p).removeRecursively();
    else
        QFile::remove(p);
}
