#pragma once

#include <QString>

// The installation directory, always ending in '/'. Both programs find it
// through "AppPath.cfg" in their current directory; the folders are injected
// so tests can run a whole installation in a temporary folder.
class AppPath {
public:
    AppPath(QString programDir, QString currentDir);

    // Client start: rewrite AppPath.cfg with the program's folder, then take
    // its last line back. Falls back to the program's folder when the current
    // directory cannot be written or read.
    QString resolveAndStore() const;
    // Any other reader: the last line of AppPath.cfg, trimmed; empty when the
    // file is missing or holds no path.
    QString read() const;

    QString configFile() const;

    static QString withSeparator(const QString& dir);

    // The installation a program acts on: $QUORVEL_HOME when set (a per-user
    // installation whose programs stay in a shared, read-only tree), else
    // `ownInstallation`, the one its own folder belongs to.
    static QString installation(const QString& ownInstallation);

private:
    QString m_programDir;
    QString m_currentDir;
};
