#pragma once

#include "common/Notice.h"

#include <QString>
#include <QStringList>
#include <optional>

// The Group Manager's state: the group box (items from Group.dat, the text
// shown, the chosen item and the tag of a group created here and not yet
// saved), the candidates and the members being edited. Each operation
// returns what it has to tell the user; the window shows that and mirrors
// this state.
class GroupManager {
public:
    inline static const QString kPlaceholder = QStringLiteral("Select/Add Group Name");

    // Loads the box from Group.dat; the candidates are the Number List's entries.
    GroupManager(QString appPath, QStringList numberList);

    const QStringList& groups() const { return m_groups; }
    // The chosen item of the box, -1 for none. Typing clears it.
    int selected() const { return m_selected; }
    const QString& text() const { return m_text; }
    const QStringList& candidates() const { return m_candidates; }
    const QStringList& members() const { return m_members; }
    bool membersChanged() const { return m_changed; }

    // A click on an item: the members become that group's file.
    std::optional<Notice> chooseGroup(int index);
    void editText(const QString& text);

    std::optional<Notice> addAllCandidates();
    std::optional<Notice> addOneCandidate(int row); // row -1: no current candidate
    std::optional<Notice> removeOneMember(int row);
    std::optional<Notice> removeAllMembers();
    void addFrequentCandidates();
    // From the add-number dialog.
    void addCandidate(const QString& entry);

    // "Create" marks the members changed before the name dialog opens.
    void beginCreate();
    // The name dialog's "Select": true when the group was made and the
    // dialog closes.
    WithNotice<bool> createGroup(const QString& typed);
    std::optional<Notice> deleteGroup();
    std::optional<Notice> saveMembers();

    // What "Select" hands to the main window: the members to add, checked,
    // and the name to choose in its group box.
    struct Selection {
        QStringList entries;
        QString groupName;
    };
    // "Select" first asks this, when the chosen group's members changed...
    std::optional<Notice> selectQuestion() const;
    // ...then saves them on Yes. nullopt: that save failed, so the window
    // stays open.
    WithNotice<std::optional<Selection>> selectGroup(bool saveFirst);

private:
    // Why the members cannot be written under `name`; nullopt when they can.
    std::optional<Notice> unwritable(const QString& name) const;
    std::optional<Notice> writeMembers(const QString& name);

    QString m_appPath;
    QStringList m_groups;
    int m_selected = -1;
    // A group was chosen from the list: Save writes under the name shown,
    // also when one was typed over it.
    bool m_chosen = false;
    QString m_text;
    QString m_tag;
    QStringList m_candidates;
    QStringList m_members;
    bool m_changed = false;
};
