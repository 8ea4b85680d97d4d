#include "client/recipients/groups/GroupManager.h"

#include "client/recipients/FrequentNumbers.h"
#include "client/recipients/groups/GroupFiles.h"
#include "common/InstallPath.h"
#include "common/LineFile.h"

#include <algorithm>

namespace {

// clang-format off
const QString kFillCandidates = QStringLiteral("Please fill SMS Number List from Frequently Dialed Numbers and the Numbers List        ");
// clang-format on

Notice stop(const QString& text) {
    return {text, Notice{}.title, Notice::Mark::Stop};
}

Notice plain(const QString& text) {
    return {text, Notice{}.title, Notice::Mark::None};
}

Notice indexNotSaved() {
    return {"The Group List could not be saved in Groups\\Group.dat."};
}

Notice membersNotSaved(const QString& name) {
    return {"The Group could not be saved in Groups\\" + name + ".dat."};
}

const Notice kAdded{"Selected Members added.        "};

} // namespace

GroupManager::GroupManager(QString appPath, QStringList numberList)
    : m_appPath(std::move(appPath)), m_groups(GroupFiles::readIndex(m_appPath)),
      m_candidates(std::move(numberList)) {}

std::optional<Notice> GroupManager::chooseGroup(int index) {
    if (index < 0 || index >= m_groups.size())
        return std::nullopt;
    m_selected = index;
    m_chosen = true;
    m_text = m_groups[index];
    m_members.clear();
    switch (GroupFiles::check(m_text)) {
    case GroupFiles::Name::Blank:
        break;
    case GroupFiles::Name::Invalid:
        return stop(GroupFiles::kNotAllowed);
    case GroupFiles::Name::Valid:
        m_members = GroupFiles::readMembers(m_appPath, m_text);
        break;
    }
    return std::nullopt;
}

void GroupManager::editText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    // The name shown is no longer the chosen item: Delete and "<<" must not
    // act on a group the box does not show.
    m_selected = -1;
}

std::optional<Notice> GroupManager::addAllCandidates() {
    if (m_candidates.isEmpty())
        return Notice{kFillCandidates};
    m_changed = true;
    m_members += m_candidates;
    return std::nullopt;
}

std::optional<Notice> GroupManager::addOneCandidate(int row) {
    if (row < 0 || row >= m_candidates.size())
        return Notice{"Select a Number to be added as a Group member        "};
    m_changed = true;
    m_members << m_candidates[row];
    return std::nullopt;
}

std::optional<Notice> GroupManager::removeOneMember(int row) {
    if (row < 0 || row >= m_members.size())
        return Notice{"Select Group Member to be deleted        "};
    // The chosen group's file follows at once; a blank item is no group.
    const bool toFile =
        m_selected >= 0 && GroupFiles::check(m_groups[m_selected]) != GroupFiles::Name::Blank;
    if (toFile)
        if (auto refusal = unwritable(m_groups[m_selected]))
            return refusal;
    m_changed = true;
    m_members.removeAt(row);
    return toFile ? writeMembers(m_groups[m_selected]) : std::nullopt;
}

std::optional<Notice> GroupManager::removeAllMembers() {
    if (m_members.isEmpty())
        return Notice{"Group not selected or empty        "};
    m_changed = true;
    m_members.clear();
    return std::nullopt;
}

void GroupManager::addFrequentCandidates() {
    m_candidates += LineFile::readAll(InstallPath::resolve(m_appPath, FrequentNumbers::kRelative));
}

void GroupManager::addCandidate(const QString& entry) {
    m_candidates << entry;
}

void GroupManager::beginCreate() {
    m_changed = true;
}

WithNotice<bool> GroupManager::createGroup(const QString& typed) {
    const QString name = typed.trimmed();
    if (name.isEmpty())
        return {false, plain("Group name cannot be empty.")};
    if (GroupFiles::check(name) != GroupFiles::Name::Valid)
        return {false, stop(GroupFiles::kNotAllowed)};
    const bool listed = std::any_of(m_groups.begin(), m_groups.end(),
                                    [&](const QString& g) { return g.trimmed() == name; });
    // The reserved group may be listed (so the main window offers it), never
    // under another spelling of its file.
    const bool reserved = GroupFiles::isOutlookGroup(name);
    if (listed || GroupFiles::caseClash(m_groups, name) || GroupFiles::isIndexName(name) ||
        (reserved && name != GroupFiles::kOutlookGroup))
        return {false, Notice{GroupFiles::kTryAnother}};
    m_groups << name;
    if (!GroupFiles::writeIndex(m_appPath, m_groups)) {
        m_groups.removeLast();
        return {false, indexNotSaved()};
    }
    // The new group is the chosen one, so Select asks before its members are lost.
    m_selected = int(m_groups.size() - 1);
    m_text = name;
    m_tag = name;
    // The address book's copy stays: emptying it would lose it until the next load.
    if (!reserved && !GroupFiles::writeMembers(m_appPath, name, {}))
        return {true, membersNotSaved(name)};
    return {true, std::nullopt};
}

std::optional<Notice> GroupManager::deleteGroup() {
    if (m_text.isEmpty() || m_selected < 0)
        return Notice{"Please select a Group to delete        "};
    const QString name = m_groups.takeAt(m_selected);
    if (!GroupFiles::writeIndex(m_appPath, m_groups)) {
        m_groups.insert(m_selected, name);
        return indexNotSaved();
    }
    m_selected = -1;
    m_chosen = false;
    m_text.clear();
    if (m_tag == name)
        m_tag.clear();
    m_members.clear();
    return std::nullopt;
}

std::optional<Notice> GroupManager::saveMembers() {
    if (!m_chosen && m_tag.isEmpty())
        return plain("No group selected.");
    if (m_members.isEmpty())
        return Notice{"No Numbers Selected.         "};
    if (m_text == kPlaceholder || GroupFiles::check(m_text) == GroupFiles::Name::Blank) {
        m_changed = false;
        return Notice{"Select a Group before Adding Members        "};
    }
    if (auto refusal = unwritable(m_text))
        return refusal;
    if (auto failure = writeMembers(m_text))
        return failure;
    m_tag.clear();
    m_changed = false;
    return kAdded;
}

std::optional<Notice> GroupManager::selectQuestion() const {
    if (!m_changed || m_selected < 0 ||
        GroupFiles::check(m_groups[m_selected]) == GroupFiles::Name::Blank)
        return std::nullopt;
    return Notice{"Members of the Group have changed. Save Members ?.    ", Notice{}.title,
                  Notice::Mark::Question, true};
}

WithNotice<std::optional<GroupManager::Selection>> GroupManager::selectGroup(bool saveFirst) {
    std::optional<Notice> said;
    if (saveFirst && selectQuestion()) {
        const QString& name = m_groups[m_selected];
        auto failure = unwritable(name);
        if (!failure)
            failure = writeMembers(name);
        if (failure)
            return {std::nullopt, failure};
        said = kAdded;
    }
    m_changed = false;
    return {Selection{m_members, m_text.trimmed()}, said};
}

std::optional<Notice> GroupManager::unwritable(const QString& name) const {
    if (GroupFiles::check(name) != GroupFiles::Name::Valid)
        return stop(GroupFiles::kNotAllowed);
    // Another group's members would be overwritten through the shared file,
    // or the address book's copy, which only the import writes, or the list
    // of groups.
    if (GroupFiles::caseClash(m_groups, name) || GroupFiles::isOutlookGroup(name) ||
        GroupFiles::isIndexName(name))
        return Notice{GroupFiles::kTryAnother};
    return std::nullopt;
}

std::optional<Notice> GroupManager::writeMembers(const QString& name) {
    if (GroupFiles::writeMembers(m_appPath, name, m_members))
        return std::nullopt;
    return membersNotSaved(name.trimmed());
}
