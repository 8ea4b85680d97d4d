#include "client/outbox/OutboxRules.h"

#include "client/outbox/EntryList.h"
#include "common/MessageBox.h"

namespace {

const QString kEmpty = QStringLiteral("The Outbox is empty. No messages to delete        ");

struct PrefixRefusal {
    const char* start;
    const char* text;
};

// Entries already handed on may not be deleted one by one.
constexpr PrefixRefusal kRefusals[] = {
    {"Acce", "Message has been processed. Cannot be deleted        "},
    {"Proc", "Message is being processed. Cannot be deleted        "},
    {"Remo", "Message is being deleted. Cannot be deleted        "},
};

} // namespace

bool OutboxRules::DeleteSelected(EntryList& outbox, int selected) {
    const QStringList entries = outbox.all();
    if (entries.isEmpty()) {
        MessageBox::show(kEmpty, kQuorvelWarning, MessageBox::Icon::Warning);
        return false;
    }
    if (selected >= entries.size())
        selected = -1;
    const QString text = selected >= 0 ? entries[selected] : QString();
    for (const auto& r : kRefusals) {
        if (text.startsWith(QLatin1String(r.start))) {
            MessageBox::show(QString::fromLatin1(r.text), kQuorvelWarning,
                             MessageBox::Icon::Warning);
            return false;
        }
    }
    if (selected < 0) {
        MessageBox::show("No message selected in outbox.", kQuorvelWarning);
        return false;
    }
    const auto answer = MessageBox::show("Are you sure you want to remove the selected message?",
                                         "Quorvel", MessageBox::Icon::None,
                                         MessageBox::Buttons::YesNo, MessageBox::Answer::No);
    if (answer == MessageBox::Answer::Yes) {
        // The poll runs while the question is open: the entry is found again
        // by its text, and one that was handed on meanwhile stays.
        const int now = int(outbox.all().indexOf(text));
        if (now >= 0)
            outbox.removeAt(now);
    }
    return true;
}

bool OutboxRules::RemoveAll(int count) {
    if (count < 1) {
        MessageBox::show(kEmpty, "Quorvel", MessageBox::Icon::Warning);
        return false;
    }
    return MessageBox::show("Are you sure you want to remove all the messages?", "Quorvel",
                            MessageBox::Icon::None, MessageBox::Buttons::YesNo,
                            MessageBox::Answer::No) == MessageBox::Answer::Yes;
}

void OutboxRules::GetExactOutboxPos(const QStringList& entries, const QString& key, int& pos) {
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        if (entries[i].contains(key)) {
            pos = int(i);
            return;
        }
    }
}
