#pragma once

#include "common/InstallPath.h"

#include <QString>

// The installation a program acts on, made once where the program starts and
// handed to whoever reads or writes its files. The client knows the folder it
// belongs to from the start, but settles on the one AppPath.cfg holds only
// during its load; until then folder() is empty.
class Installation {
public:
    // `programDir`: the installation the program's own folder belongs to
    // ($QUORVEL_HOME already applied); `currentDir`: where AppPath.cfg lies.
    Installation(QString programDir, QString currentDir);
    // An installation known by its folder now.
    static Installation at(const QString& folder);

    // The installation folder with its trailing '/'; empty until settled.
    const QString& folder() const { return m_folder; }
    // A real path below it for a relative name as the program spells it.
    QString file(const QString& relative) const { return InstallPath::resolve(m_folder, relative); }
    // The program's folder as given, and with its trailing '/'.
    const QString& programDir() const { return m_programDir; }
    QString programFolder() const;

    // The client's load: stores the program's folder in AppPath.cfg and
    // settles on what the file then holds.
    void settle();

private:
    QString m_programDir;
    QString m_currentDir;
    QString m_folder;
};
