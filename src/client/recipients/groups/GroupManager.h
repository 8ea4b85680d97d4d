#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The Group Manager's state: the group box (items from Group.dat, the text
// shown, the chosen item and the tag of a group created here and not yet
// saved), the candidates (`List4`) and the members being edited (`List3`).
// Every refusal is shown through the message-box seam; the window only
// mirrors this state.
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
    void chooseGroup(int index);
    void editText(const QString& text);

    void AddAllCandidates();
    void AddOneCandidate(int row); // row -1: no current candidate
    void RemoveOneMember(int row);
    void RemoveAllMembers();
    void AddFrequentCandidates();
    // From the add-number dialog.
    void addCandidate(const QString& entry);

    // "Create" marks the members changed before the name dialog opens.
    void beginCreate();
    // The name dialog's "Select": true when the group was made and the
    // dialog closes.
    bool CreateGroup(const QString& typed);
    void DeleteGroup();
    void SaveMembers();

    // What "Select" hands to the main window: the members to add, checked,
    // and the name to choose in its group box. nullopt: a save the user asked
    // for failed, so the window stays open.
    struct Selection {
        QStringList entries;
        QString groupName;
    };
    std::optional<Selection> SelectGroup();

private:
    // Shows why the members cannot be written under `name`; true when they can.
    bool writable(const QString& name) const;
    bool writeMembers(const QString& name);

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
