#include "support/TestInstallation.h"

#include "common/ComPorts.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace {

void copyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = to + '/' + QDir(from).relativeFilePath(src);
        QDir().mkpath(QFileInfo(dst).absolutePath());
        QFile::copy(src, dst);
        QFile(dst).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                  QFile::ReadOther);
    }
}

QString dirOr(const char* variable, const QString& fallback) {
    const QString s = qEnvironmentVariable(variable);
    return s.isEmpty() ? fallback : s;
}

// Where the settings store and the client's web cache go, inside.
const std::pair<const char*, const char*> kPlaces[] = {{"QUORVEL_REGISTRY", "/registry.ini"},
                                                       {"XDG_CACHE_HOME", "/.cache"}};

} // namespace

void TestInstallation::mapPortsAway(const QString& appPath) {
    QStringList absent;
    for (int n = 1; n <= ComPorts::kPortCount; ++n)
        absent << appPath + QStringLiteral("absent-port/COM%1").arg(n);
    if (!LineFile::rewrite(ExchangeFiles::path(appPath, ExchangeFiles::kComPorts), absent))
        throw std::runtime_error("cannot map the serial ports away");
}

QString TestInstallation::binaryDir() {
    return dirOr("QUORVEL_BINARY_DIR", QStringLiteral(QUORVEL_BINARY_DIR_DEFAULT));
}

TestInstallation::TestInstallation(Contents contents) {
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder");
    if (contents == Contents::ShippedData) {
        copyTree(dirOr("QUORVEL_SOURCE_DIR", QUORVEL_SOURCE_DIR_DEFAULT) + "/data/install",
                 m_dir.path());
        for (const char* d : {"Config", "NOM/UK/Cellnet/Config", "NOMMon/Logs"})
            QDir().mkpath(m_dir.path() + '/' + d);
        mapPortsAway(appPath());
    }
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    for (const auto& [variable, place] : kPlaces) {
        m_oldEnv << qgetenv(variable);
        qputenv(variable, QFile::encodeName(m_dir.path() + place));
    }
}

TestInstallation::~TestInstallation() {
    QDir::setCurrent(m_oldCwd);
    for (qsizetype i = 0; i < m_oldEnv.size(); ++i)
        m_oldEnv[i].isEmpty() ? qunsetenv(kPlaces[i].first)
                              : qputenv(kPlaces[i].first, m_oldEnv[i]);
}

QByteArray TestInstallation::bytes(const QString& relative) const {
    QFile f(file(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
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
