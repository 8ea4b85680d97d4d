#include "client/recipients/contacts/ContactsTree.h"

#include "client/recipients/FrequentNumbers.h"
#include "client/recipients/groups/GroupFiles.h"
#include "common/InstallPath.h"
#include "common/LineFile.h"

#include <QHash>
#include <QSet>

namespace ContactsTree {

namespace {
const QString kSep = QStringLiteral("//");
} // namespace

QString folderKey(const QString& path) {
    return path.isEmpty() ? kOutlook : kOutlook + '/' + path;
}

QList<Node> build(const AddressBook* book, const QStringList& speedLines,
                  const QList<GroupMembers>& groups) {
    QList<Node> nodes;
    nodes.append({kRoot, QStringLiteral("Contacts"), kNodeTag, {}});
    nodes.append({kOutlook, QStringLiteral("Outlook Contacts"), kNodeTag, kRoot});
    if (book) {
        QHash<QString, bool> shown{{kOutlook, true}};
        for (const ContactFolder& f : book->folders) {
            const QString key = folderKey(f.path);
            if (!f.path.isEmpty()) {
                const QString parent = folderKey(f.path.section('/', 0, -2));
                // A folder holding nothing, or whose parent has no node, is not shown.
                if ((f.items == 0 && f.subfolders == 0) || !shown.contains(parent))
                    continue;
                nodes.append({key, f.name, kNodeTag, parent});
                shown.insert(key, true);
            }
            for (qsizetype i = 0; i < f.lines.size(); ++i)
                nodes.append({key + kSep + QString::number(i + 1), f.lines[i], {}, key});
        }
    }
    nodes.append({kOwn, QStringLiteral("Quorvel Contacts"), kNodeTag, kRoot});
    nodes.append({kSpeed, QStringLiteral("Frequently Dialed Numbers"), kNodeTag, kOwn});
    int i = 0;
    for (const QString& line : speedLines)
        if (!line.isEmpty())
            nodes.append({kSpeed + kSep + QString::number(++i), line, {}, kSpeed});
    for (const GroupMembers& g : groups) {
        const QString key = kOwn + kSep + QString::number(g.line);
        nodes.append({key, g.name, kNodeTag, kOwn});
        for (qsizetype j = 0; j < g.members.size(); ++j)
            nodes.append({key + kSep + QString::number(j + 1), g.members[j], {}, key});
    }
    return nodes;
}

QStringList descendants(const QList<Node>& nodes, const QString& key) {
    // Parents come before their children, so one pass finds every depth.
    QSet<QString> below{key};
    QStringList out;
    for (const Node& n : nodes)
        if (below.contains(n.parentKey)) {
            below.insert(n.key);
            out << n.key;
        }
    return out;
}

QStringList contactLines(const QList<Node>& nodes,
                         const std::function<bool(const QString&)>& take) {
    QStringList out;
    for (const Node& n : nodes)
        if (n.tag != kNodeTag && take(n.key))
            out << n.text;
    return out;
}

QStringList readSpeedLines(const QString& appPath) {
    QStringList out;
    for (const QString& l :
         LineFile::readAll(InstallPath::resolve(appPath, FrequentNumbers::kRelative)))
        if (!l.trimmed().isEmpty())
            out << l;
    return out;
}

QList<GroupMembers> readGroups(const QString& appPath) {
    QList<GroupMembers> out;
    const QStringList names = GroupFiles::readIndex(appPath);
    for (int i = 0; i < names.size(); ++i) {
        if (GroupFiles::check(names[i]) == GroupFiles::Name::Blank)
            continue;
        GroupMembers g{names[i], i + 1, GroupFiles::readMembers(appPath, names[i])};
        g.members.removeAll(QString());
        out << g;
    }
    return out;
}

} // namespace ContactsTree
