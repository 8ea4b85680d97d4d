#pragma once

#include <QString>
#include <QStringList>

// The user's operations on the outbox, decided on the entry texts; the window
// applies the outcome to its list.
class OutboxRules {
public:
    struct DeleteOutcome {
        // The entry to take out, -1 for none.
        int removeIndex = -1;
        // Not refused: afterwards the last entry is highlighted (if any is left).
        bool highlightLast = false;
    };

    // Delete selected: refuses empty lists, entries in delivery and no
    // selection; otherwise asks. `selected` is -1 when nothing is highlighted.
    static DeleteOutcome DeleteSelected(const QStringList& entries, int selected);
    // Remove all: true when the user confirmed clearing a non-empty outbox.
    static bool RemoveAll(int count);
    // The index of the last entry containing `key`; `pos` stays as it was when none does.
    static void GetExactOutboxPos(const QStringList& entries, const QString& key, int& pos);
};
