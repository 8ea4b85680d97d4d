#include "client/recipients/groups/GroupFiles.h"

#include "client/recipients/NumberEntry.h"
#include "common/InstallPath.h"
#include "common/LineFile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace GroupFiles {

bool isNameCharacter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_';
}

Name check(const QString& name) {
    const QString t = name.trimmed();
    if (t.isEmpty())
        return Name::Blank;
    return std::all_of(t.begin(), t.end(), isNameCharacter) ? Name::Valid : Name::Invalid;
}

std::optional<qsizetype> caseClash(const QStringList& names, const QString& name) {
    const QString t = name.trimmed();
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString n = names[i].trimmed();
        if (n != t && n.compare(t, Qt::CaseInsensitive) == 0)
            return i;
    }
    return std::nullopt;
}

bool isOutlookGroup(const QString& name) {
    return name.trimmed().compare(kOutlookGroup, Qt::CaseInsensitive) == 0;
}

bool isIndexName(const QString& name) {
    return name.trimmed().compare(QLatin1String("Group"), Qt::CaseInsensitive) == 0;
}

namespace {

// A group file planted as a link would be written through to wherever it
// points: the link goes, and the group gets a file of its own.
bool rewriteOwn(const QString& path, const QStringList& lines, bool durable = true) {
    if (QFileInfo(path).isSymLink() && !QFile::remove(path))
        return false;
    return LineFile::rewrite(path, lines, durable);
}

} // namespace

QStringList readIndex(const QString& appPath) {
    return LineFile::readAll(InstallPath::resolve(appPath, kIndex));
}

bool writeIndex(const QString& appPath, const QStringList& names) {
    return rewriteOwn(InstallPath::resolve(appPath, kIndex), names);
}

std::optional<QString> memberPath(const QString& appPath, const QString& name) {
    if (check(name) != Name::Valid || isIndexName(name))
        return std::nullopt;
    return InstallPath::resolve(appPath, "Groups\\" + name.trimmed() + ".dat");
}

QStringList readMembers(const QString& appPath, const QString& name) {
    const auto path = memberPath(appPath, name);
    return path ? LineFile::readAll(*path) : QStringList();
}

bool writeMembers(const QString& appPath, const QString& name, const QStringList& lines) {
    const auto path = memberPath(appPath, name);
    return path && rewriteOwn(*path, lines);
}

bool writeOutlookMembers(const QString& appPath, const QStringList& lines) {
    return rewriteOwn(*memberPath(appPath, kOutlookGroup), lines, false);
}

Take entriesForNumberList(const QString& appPath, const QString& boxText) {
    if (boxText == "Please Select a Group" || check(boxText) == Name::Blank)
        return {{}, QStringLiteral("Please select a Group        "), false};
    if (check(boxText) == Name::Invalid)
        return {{}, kNotAllowed, true};
    QStringList lines = readMembers(appPath, boxText);
    lines.removeIf([](const QString& l) { return !NumberEntry::IsValidNumberEntry(l); });
    return {lines, {}, false};
}

} // namespace GroupFiles
