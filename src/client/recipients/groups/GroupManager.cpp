#include "client/recipients/groups/GroupManager.h"

#include "client/recipients/FrequentNumbers.h"
#include "client/recipients/groups/GroupFiles.h"
#include "common/InstallPath.h"
#include "common/LineFile.h"
#include "common/MessageBox.h"

#include <algorithm>

namespace {

// clang-format off
const QString kFillCandidates = QStringLiteral("Please fill SMS Number List from Frequently Dialed Numbers and the Numbers List        ");
// clang-format on

void warn(const QString& text, MessageBox::Icon icon = MessageBox::Icon::Warning) {
    MessageBox::show(text, kQuorvelWarning, icon);
}

void indexNotSaved() {
    warn("The Group List could not be saved in Groups\\Group.dat.");
}

} // namespace

GroupManager::GroupManager(QString appPath, QStringList numberList)
    : m_appPath(std::move(appPath)), m_groups(GroupFiles::readIndex(m_appPath)),
      m_candidates(std::move(numberList)) {}

void GroupManager::chooseGroup(int index) {
    if (index < 0 || index >= m_groups.size())
        return;
    m_selected = index;
    m_chosen = true;
    m_text = m_groups[index];
    m_members.clear();
    switch (GroupFiles::check(m_text)) {
    case GroupFiles::Name::Blank:
        break;
    case GroupFiles::Name::Invalid:
        warn(GroupFiles::kNotAllowed, MessageBox::Icon::Critical);
        break;
    case GroupFiles::Name::Valid:
        m_members = GroupFiles::readMembers(m_appPath, m_text);
        break;
    }
}

void GroupManager::editText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    // The name shown is no longer the chosen item: Delete and "<<" must not
    // act on a group the box does not show.
    m_selected = -1;
}

void GroupManager::AddAllCandidates() {
    if (m_candidates.isEmpty()) {
        warn(kFillCandidates);
        return;
    }
    m_changed = true;
    m_members += m_candidates;
}

void GroupManager::AddOneCandidate(int row) {
    if (row < 0 || row >= m_candidates.size()) {
        warn("Select a Number to be added as a Group member        ");
        return;
    }
    m_changed = true;
    m_members << m_candidates[row];
}

void GroupManager::RemoveOneMember(int row) {
    if (row < 0 || row >= m_members.size()) {
        warn("Select Group Member to be deleted        ");
        return;
    }
    // The chosen group's file follows at once; a blank item is no group.
    const bool toFile =
        m_selected >= 0 && GroupFiles::check(m_groups[m_selected]) != GroupFiles::Name::Blank;
    if (toFile && !writable(m_groups[m_selected]))
        return;
    m_changed = true;
    m_members.removeAt(row);
    if (toFile)
        writeMembers(m_groups[m_selected]);
}

void GroupManager::RemoveAllMembers() {
    if (m_members.isEmpty()) {
        warn("Group not selected or empty        ");
        return;
    }
    m_changed = true;
    m_members.clear();
}

void GroupManager::AddFrequentCandidates() {
    m_candidates += LineFile::readAll(InstallPath::resolve(m_appPath, FrequentNumbers::kRelative));
}

void GroupManager::addCandidate(const QString& entry) {
    m_candidates << entry;
}

void GroupManager::beginCreate() {
    m_changed = true;
}

bool GroupManager::CreateGroup(const QString& typed) {
    const QString name = typed.trimmed();
    if (name.isEmpty()) {
        MessageBox::show("Group name cannot be empty.", kQuorvelWarning);
        return false;
    }
    if (GroupFiles::check(name) != GroupFiles::Name::Valid) {
        warn(GroupFiles::kNotAllowed, MessageBox::Icon::Critical);
        return false;
    }
    const bool listed = std::any_of(m_groups.begin(), m_groups.end(),
                                    [&](const QString& g) { return g.trimmed() == name; });
    // The reserved group may be listed (so the main window offers it), never
    // under another spelling of its file.
    const bool reserved = GroupFiles::isOutlookGroup(name);
    if (listed || GroupFiles::caseClash(m_groups, name) || GroupFiles::isIndexName(name) ||
        (reserved && name != GroupFiles::kOutlookGroup)) {
        warn(GroupFiles::kTryAnother);
        return false;
    }
    m_groups << name;
    if (!GroupFiles::writeIndex(m_appPath, m_groups)) {
        m_groups.removeLast();
        indexNotSaved();
        return false;
    }
    // The new group is the chosen one, so Select asks before its members are lost.
    m_selected = int(m_groups.size() - 1);
    m_text = name;
    m_tag = name;
    // The address book's copy stays: emptying it would lose it until the next load.
    if (!reserved && !GroupFiles::writeMembers(m_appPath, name, {}))
        warn("The Group could not be saved in Groups\\" + name + ".dat.");
    return true;
}

void GroupManager::DeleteGroup() {
    if (m_text.isEmpty() || m_selected < 0) {
        warn("Please select a Group to delete        ");
        return;
    }
    const QString name = m_groups.takeAt(m_selected);
    if (!GroupFiles::writeIndex(m_appPath, m_groups)) {
        m_groups.insert(m_selected, name);
        indexNotSaved();
        return;
    }
    m_selected = -1;
    m_chosen = false;
    m_text.clear();
    if (m_tag == name)
        m_tag.clear();
    m_members.clear();
}

void GroupManager::SaveMembers() {
    if (!m_chosen && m_tag.isEmpty()) {
        MessageBox::show("No group selected.", kQuorvelWarning);
        return;
    }
    if (m_members.isEmpty()) {
        warn("No Numbers Selected.         ");
        return;
    }
    if (m_text == kPlaceholder || GroupFiles::check(m_text) == GroupFiles::Name::Blank) {
        warn("Select a Group before Adding Members        ");
        m_changed = false;
        return;
    }
    if (!writable(m_text) || !writeMembers(m_text))
        return;
    warn("Selected Members added.        ");
    m_tag.clear();
    m_changed = false;
}

std::optional<GroupManager::Selection> GroupManager::SelectGroup() {
    if (m_changed && m_selected >= 0 &&
        GroupFiles::check(m_groups[m_selected]) != GroupFiles::Name::Blank &&
        MessageBox::show("Members of the Group have changed. Save Members ?.    ", kQuorvelWarning,
                         MessageBox::Icon::Question, MessageBox::Buttons::YesNo,
                         MessageBox::Answer::No) == MessageBox::Answer::Yes) {
        if (!writable(m_groups[m_selected]) || !writeMembers(m_groups[m_selected]))
            return std::nullopt;
        warn("Selected Members added.        ");
    }
    m_changed = false;
    return Selection{m_members, m_text.trimmed()};
}

bool GroupManager::writable(const QString& name) const {
    if (GroupFiles::check(name) != GroupFiles::Name::Valid) {
        warn(GroupFiles::kNotAllowed, MessageBox::Icon::Critical);
        return false;
    }
    // Another group's members would be overwritten through the shared file,
    // or the address book's copy, which only the import writes, or the list
    // of groups.
    if (GroupFiles::caseClash(m_groups, name) || GroupFiles::isOutlookGroup(name) ||
        GroupFiles::isIndexName(name)) {
        warn(GroupFiles::kTryAnother);
        return false;
    }
    return true;
}

bool GroupManager::writeMembers(const QString& name) {
    if (GroupFiles::writeMembers(m_appPath, name, m_members))
        return true;
    warn("The Group could not be saved in Groups\\" + name.trimmed() + ".dat.");
    return false;
}
