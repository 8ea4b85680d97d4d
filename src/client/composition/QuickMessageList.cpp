#include "client/composition/QuickMessageList.h"

#include "client/composition/CharacterRules.h"
#include "common/InstallPath.h"
#include "common/LineFile.h"
#include "common/MessageBox.h"

QStringList QuickMessageList::read(const QString& appPath) {
    QStringList lines = LineFile::readAll(InstallPath::resolve(appPath, kRelative));
    for (QString& l : lines)
        if (l.size() > MaxStoredLength)
            l.truncate(MaxStoredLength);
    return lines;
}

bool QuickMessageList::save(const QString& appPath) const {
    return LineFile::rewrite(InstallPath::resolve(appPath, kRelative), m_entries);
}

bool QuickMessageList::Add(const QString& text) {
    const QString t = CharacterRules::trimBlanks(text);
    if (t.isEmpty()) {
        MessageBox::show("Enter a Quick message", kQuorvelWarning);
        return false;
    }
    if (m_entries.contains(t)) {
        MessageBox::show("Quick message already exists", kQuorvelWarning);
        return false;
    }
    m_entries.append(t);
    return true;
}

bool QuickMessageList::Delete(int selected) {
    if (selected < 0 || selected >= m_entries.size()) {
        MessageBox::show("Please select the Quick message to delete.", "Quorvel");
        return false;
    }
    const auto answer = MessageBox::show("Are you sure you want to delete this Quick message?",
                                         "Quorvel", MessageBox::Icon::None,
                                         MessageBox::Buttons::YesNo, MessageBox::Answer::No);
    if (answer != MessageBox::Answer::Yes)
        return false;
    m_entries.removeAt(selected);
    return true;
}
