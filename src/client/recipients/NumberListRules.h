#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// What the Number List's own buttons and its drop target refuse, ask and
// change, apart from the list control. Boxes go through the MessageBox seam.
namespace NumberListRules {

// RemoveCurrentEntry on a list of `count` entries whose highlighted row is
// `highlighted` (-1: none). nullopt when the list is empty (refused; the list
// takes the focus); else the row to remove, -1 when the answer is No or no
// entry is highlighted.
std::optional<int> RemoveCurrentEntry(int count, int highlighted);
// ClearNumberList: refused on an empty list; on Yes runs `clear`, then says so.
void ClearNumberList(int count, const std::function<void()>& clear);
// The entries a drop adds: each line of the text except the tree's group tag
// "node" (a line break inside an entry would split it in BudList.dat).
QStringList droppedEntries(const QString& text);

} // namespace NumberListRules
