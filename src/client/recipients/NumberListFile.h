#pragma once

#include <QString>
#include <QStringList>

// Config\BudList.dat: the Number List, one entry per line in list order.
// Check marks are not kept: every entry comes back checked.
class NumberListFile {
public:
    static inline const QString kRelative = QStringLiteral("Config\\BudList.dat");

    // The lines that pass the entry test; a missing file gives none.
    static QStringList load(const QString& appPath);
    // One entry added at once, so a crash does not lose it.
    static bool append(const QString& appPath, const QString& entry);
    // The whole list at shutdown (atomic: a failed write keeps the old file).
    static bool save(const QString& appPath, const QStringList& entries);
};
