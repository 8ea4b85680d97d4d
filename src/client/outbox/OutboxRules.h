#pragma once

#include <QString>
#include <QStringList>

class EntryList;

// The user's operations on the outbox, decided on the entry texts; the window
// applies the outcome to its list.
class OutboxRules {
public:
    // Delete selected: refuses empty lists, entries in delivery and no
    // selection; otherwise asks, and on Yes takes the entry out. `selected` is
    // -1 when nothing is highlighted. True when not refused: the window then
    // highlights the last entry (if any is left).
    static bool DeleteSelected(EntryList& outbox, int selected);
    // Remove all: true when the user confirmed clearing a non-empty outbox.
    static bool RemoveAll(int count);
    // The index of the last entry containing `key`; `pos` stays as it was when none does.
    static void GetExactOutboxPos(const QStringList& entries, const QString& key, int& pos);
};
