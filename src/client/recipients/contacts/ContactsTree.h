#pragma once

#include "client/recipients/contacts/ContactsStore.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// One group of Group.dat with its members, as the tree shows it.
struct GroupMembers {
    QString name;
    int line = 0; // in Group.dat, counting every line from 1
    QStringList members;
};

// The contacts window's tree as plain nodes, parents before children, in the
// order shown. Keys are unique: folders are keyed by their path and every
// key part that follows a number is separated by "//", which no folder name
// or fixed key contains.
namespace ContactsTree {

inline const QString kRoot = QStringLiteral("RootContact");
inline const QString kOutlook = QStringLiteral("Contacts");
inline const QString kOwn = QStringLiteral("EContact");
inline const QString kSpeed = QStringLiteral("SpeedNos");
inline const QString kNodeTag = QStringLiteral("node");

struct Node {
    QString key;
    QString text;
    QString tag; // "node" for a branch, empty for a contact
    QString parentKey;
    bool operator==(const Node&) const = default;
};

// `book` is null when the address book is not used: the Outlook branch stays empty.
QList<Node> build(const AddressBook* book, const QStringList& speedLines,
                  const QList<GroupMembers>& groups);

QString folderKey(const QString& path);

// NodeCheck: the keys of every node below `key`, at any depth, in the order
// shown; they take the node's new check state.
QStringList descendants(const QList<Node>& nodes, const QString& key);
// Add All and Add Selected: the lines of the contacts (not the branches) in
// the order shown, those whose key `take` accepts.
QStringList contactLines(const QList<Node>& nodes, const std::function<bool(const QString&)>& take);

// Config\SpeedNos.dat's non-empty lines.
QStringList readSpeedLines(const QString& appPath);
// Group.dat's groups with their member files (GroupFiles' name rule: an
// invalid name reads no file, its node stays empty), empty lines left out.
QList<GroupMembers> readGroups(const QString& appPath);

} // namespace ContactsTree
