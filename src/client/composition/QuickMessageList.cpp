#include "client/composition/QuickMessageList.h"

#include "client/composition/CharacterRules.h"
#include "common/InstallPath.h"
#include "common/LineFile.h"

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

std::optional<Notice> QuickMessageList::add(const QString& text) {
    const QString t = CharacterRules::trimBlanks(text);
    if (t.isEmpty())
        return Notice{"Enter a Quick message", Notice::kWarningTitle, Notice::Mark::None};
    if (m_entries.contains(t))
        return Notice{"Quick message already exists", Notice::kWarningTitle, Notice::Mark::None};
    m_entries.append(t);
    return std::nullopt;
}

std::optional<Notice> QuickMessageList::deleteRefusal(int selected) const {
    if (selected >= 0 && selected < m_entries.size())
        return std::nullopt;
    return Notice{"Please select the Quick message to delete.", Notice::kPlainTitle,
                  Notice::Mark::None};
}

Notice QuickMessageList::deleteQuestion() {
    return {"Are you sure you want to delete this Quick message?", Notice::kPlainTitle,
            Notice::Mark::None, true};
}
