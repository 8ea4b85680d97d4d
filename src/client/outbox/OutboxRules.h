#pragma once

#include "common/Notice.h"

#include <QString>
#include <QStringList>
#include <optional>

class EntryList;

// The user's operations on the outbox, decided on the entry texts; the window
// shows what they say and applies the outcome to its list.
class OutboxRules {
public:
    // Delete selected: refuses empty lists, entries in delivery and no
    // selection; otherwise asks. `selected` is -1 when nothing is highlighted.
    // The value is the entry's text to take out on Yes, none when refused.
    static WithNotice<std::optional<QString>> deleteSelected(const QStringList& entries,
                                                             int selected);
    // After the question: the poll runs while it is open, so the entry is
    // found again by its text, and one that was handed on meanwhile stays.
    static void takeOut(EntryList& outbox, const QString& entry);
    // Remove all: the refusal of an empty outbox, or the question.
    static Notice removeAll(int count);
    // The index of the last entry containing `key`; `pos` stays as it was when none does.
    static void lastEntryContaining(const QStringList& entries, const QString& key, int& pos);
};
