#include "client/shell/StartupFiles.h"

#include "common/InstallPath.h"
#include "common/LineFile.h"

#include <QFile>
#include <QFileInfo>

namespace StartupFiles {

void EnsureGroupIndex(const QString& appPath) {
    const QString index = InstallPath::resolve(appPath, "Groups\\Group.dat");
    if (QFileInfo::exists(index))
        return;
    LineFile::rewrite(index, {" "});
}

void EnsureConfigFile(const QString& appPath, const QString& name) {
    const QString config = InstallPath::resolve(appPath, "Config");
    if (!QFileInfo(config).isDir())
        return;
    const QString file = InstallPath::resolve(appPath, "Config\\" + name);
    if (QFileInfo::exists(file))
        return;
    QFile f(file);
    if (f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        f.close();
}

void ensureAll(const QString& appPath) {
    EnsureGroupIndex(appPath);
    EnsureConfigFile(appPath, "SpeedNos.dat");
    EnsureConfigFile(appPath, "BudList.dat");
}

} // namespace StartupFiles
