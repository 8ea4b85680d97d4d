#include "client/recipients/NumberListFile.h"

#include "client/recipients/NumberEntry.h"
#include "common/InstallPath.h"
#include "common/LineFile.h"

namespace {
QString path(const QString& appPath) {
    return InstallPath::resolve(appPath, NumberListFile::kRelative);
}
} // namespace

QStringList NumberListFile::load(const QString& appPath) {
    QStringList lines = LineFile::readAll(path(appPath));
    lines.removeIf([](const QString& l) { return !NumberEntry::IsValidNumberEntry(l); });
    return lines;
}

bool NumberListFile::append(const QString& appPath, const QString& entry) {
    return LineFile::append(path(appPath), entry);
}

bool NumberListFile::save(const QString& appPath, const QStringList& entries) {
    return LineFile::rewrite(path(appPath), entries);
}
