#pragma once

#include <QString>

// Turns a data file's relative name as the program spells it ("config\QuickMsg.Dat",
// "\Config\BudList.dat") into a real path below the installation directory.
// Each component is matched against what exists: the exact spelling first, then
// one that differs only in case; a component that does not exist yet takes the
// spelling of the installation layout, so no second, differently cased folder appears.
class InstallPath {
public:
    static QString resolve(const QString& appPath, const QString& relative);
    // The layout's spelling of a relative path (used when nothing exists yet).
    static QString canonical(const QString& relative);
};
