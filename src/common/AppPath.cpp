#include "common/AppPath.h"

#include "common/LineFile.h"

#include <QDir>

AppPath::AppPath(QString programDir, QString currentDir)
    : m_programDir(std::move(programDir)), m_currentDir(std::move(currentDir)) {}

QString AppPath::withSeparator(const QString& dir) {
    QString d = dir;
    if (d.endsWith('\\'))
        d.chop(1); // written by a Windows-style writer
    d = QDir::cleanPath(d);
    if (!d.endsWith('/'))
        d += '/';
    return d;
}

QString AppPath::installation(const QString& ownInstallation) {
    const QString home = qEnvironmentVariable("QUORVEL_HOME");
    return home.isEmpty() ? ownInstallation : QDir(home).absolutePath();
}

QString AppPath::configFile() const {
    return QDir(m_currentDir).filePath("AppPath.cfg");
}

QString AppPath::resolveAndStore() const {
    const QString own = withSeparator(m_programDir);
    LineFile::rewriteInPlace(configFile(), {own});
    const QString stored = read();
    return stored.isEmpty() ? own : stored;
}

QString AppPath::read() const {
    const QString last = LineFile::readLast(configFile()).trimmed();
    if (last.isEmpty())
        return QString();
    return withSeparator(last);
}
