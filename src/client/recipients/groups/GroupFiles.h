#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Groups\Group.dat (the group names, one a line) and one member file per
// group, Groups\<name>.dat. A group name becomes a file name, so only names
// of letters, digits and "_" ever reach the disk: nothing outside Groups can
// be named through one.
namespace GroupFiles {

inline const QString kIndex = QStringLiteral("Groups\\Group.dat");
// The refusals every use of a name shares.
inline const QString kNotAllowed = QStringLiteral("This character is not allowed in Group Name");
inline const QString kTryAnother = QStringLiteral("Please try another Group name        ");
// The group whose member file is the address book's copy, rewritten at each
// load of the contacts window: only that import writes it.
inline const QString kOutlookGroup = QStringLiteral("OutlookContact");

// A name is used trimmed; blank means no group at all.
enum class Name { Blank, Invalid, Valid };
Name check(const QString& name);
// A character a group name may hold: A-Z, a-z, 0-9, "_".
bool isNameCharacter(QChar c);
// The index of the listed name that equals `name` but for letter case: on a
// lookup that ignores case both would share one member file.
std::optional<qsizetype> caseClash(const QStringList& names, const QString& name);
// The reserved group's name in any letter case: the same member file.
bool isOutlookGroup(const QString& name);
// "Group" in any letter case: its member file would be Group.dat, the list
// of groups itself.
bool isIndexName(const QString& name);

// Every line of Group.dat as stored, blank ones included (their numbers
// count); none when the file is missing.
QStringList readIndex(const QString& appPath);
// Atomic: a failed write keeps the previous file.
bool writeIndex(const QString& appPath, const QStringList& names);

// The member file of a valid name; nullopt for a blank or invalid one, and
// for the index's own name.
std::optional<QString> memberPath(const QString& appPath, const QString& name);
// Every line of the group's member file, unchanged and untested. A missing
// file is an empty group; a blank or invalid name reads nothing.
QStringList readMembers(const QString& appPath, const QString& name);
// false (nothing written) for a blank or invalid name or a failed write.
bool writeMembers(const QString& appPath, const QString& name, const QStringList& lines);
// The reserved group's file, rewritten whole by the import; a copy made
// again at each load, so no wait for the disk.
bool writeOutlookMembers(const QString& appPath, const QStringList& lines);

// The main window's "Add To Number List" for the group chosen in its box:
// the member lines that pass the entry test, in file order, or the refusal
// to show.
struct Take {
    QStringList entries;
    QString refusal;
    bool stop = false; // the refusal takes the stop icon
};
Take entriesForNumberList(const QString& appPath, const QString& boxText);

} // namespace GroupFiles
