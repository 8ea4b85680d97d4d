#pragma once

#include "common/Notice.h"

#include <QString>
#include <QStringList>
#include <optional>

// What the Number List's own buttons and its drop target refuse, ask and
// change, apart from the list control. The window shows what they say.
namespace NumberListRules {

// "Delete" on a list of `count` entries: refused on an empty list (the list
// then takes the focus); else the question is asked first.
std::optional<Notice> removeRefusal(int count);
Notice removeQuestion();
// After Yes: the row to remove, -1 when no entry is highlighted.
int removedRow(int count, int highlighted);

// "Delete All": refused on an empty list; else asked, and said when done.
std::optional<Notice> clearRefusal(int count);
Notice clearQuestion();
Notice clearedNotice();

// The entries a drop adds: each line of the text except the tree's group tag
// "node" (a line break inside an entry would split it in BudList.dat).
QStringList droppedEntries(const QString& text);

} // namespace NumberListRules
