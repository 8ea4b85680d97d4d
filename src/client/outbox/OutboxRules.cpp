#include "client/outbox/OutboxRules.h"

#include "client/outbox/EntryList.h"

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

WithNotice<std::optional<QString>> OutboxRules::deleteSelected(const QStringList& entries,
                                                               int selected) {
    if (entries.isEmpty())
        return {std::nullopt, Notice{kEmpty}};
    if (selected >= entries.size())
        selected = -1;
    const QString text = selected >= 0 ? entries[selected] : QString();
    for (const auto& r : kRefusals) {
        if (text.startsWith(QLatin1String(r.start)))
            return {std::nullopt, Notice{QString::fromLatin1(r.text)}};
    }
    if (selected < 0)
        return {std::nullopt, Notice{"No message selected in outbox.", Notice::kWarningTitle,
                                     Notice::Mark::None}};
    return {text, Notice{"Are you sure you want to remove the selected message?",
                         Notice::kPlainTitle, Notice::Mark::None, true}};
}

void OutboxRules::takeOut(EntryList& outbox, const QString& entry) {
    const int now = int(outbox.all().indexOf(entry));
    if (now >= 0)
        outbox.removeAt(now);
}

Notice OutboxRules::removeAll(int count) {
    if (count < 1)
        return Notice{kEmpty, Notice::kPlainTitle};
    return Notice{"Are you sure you want to remove all the messages?", Notice::kPlainTitle,
                  Notice::Mark::None, true};
}

void OutboxRules::lastEntryContaining(const QStringList& entries, const QString& key, int& pos) {
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        if (entries[i].contains(key)) {
            pos = int(i);
            return;
        }
    }
}
