#include "client/outbox/OutboxRules.h"
#include "client/outbox/EntryList.h"
#include "support/WidgetTest.h"

namespace {
const QString kWaiting = "[1] 05/12/2026 16:20:00 +44123 a";
}

TEST(OutboxRules, DeleteRefusesEntriesInDeliveryAndMissingChoices) {
    const QString kWarning = Notice::kWarningTitle;
    struct Case {
        QStringList entries;
        int selected;
        Notice refusal;
    } cases[] = {
        // clang-format off
        {{}, -1, {"The Outbox is empty. No messages to delete        "}},
        {{"Accepted::" + kWaiting}, 0, {"Message has been processed. Cannot be deleted        "}},
        {{kWaiting, "Processing::" + kWaiting}, 1,
         {"Message is being processed. Cannot be deleted        "}},
        {{"Remove::" + kWaiting}, 0, {"Message is being deleted. Cannot be deleted        "}},
        {{kWaiting}, -1, {"No message selected in outbox.", kWarning, Notice::Mark::None}},
        {{kWaiting}, 5, {"No message selected in outbox.", kWarning, Notice::Mark::None}},
        // clang-format on
    };
    for (const Case& c : cases) {
        const auto chosen = OutboxRules::deleteSelected(c.entries, c.selected);
        EXPECT_FALSE(chosen.value) << c.refusal.text.toStdString();
        EXPECT_EQ(chosen.notice, c.refusal) << c.refusal.text.toStdString();
    }
    EXPECT_EQ(OutboxRules::removeAll(0),
              (Notice{"The Outbox is empty. No messages to delete        ", Notice::kPlainTitle}));
}

TEST(OutboxRules, DeleteAndRemoveAllAsk) {
    // Status words inside a waiting entry's text do not refuse it.
    const QStringList entries{kWaiting, "[2] x +1 Accepted:: Processing:: Remove:: y"};
    const auto chosen = OutboxRules::deleteSelected(entries, 1);
    EXPECT_EQ(chosen.value, entries[1]);
    EXPECT_EQ(chosen.notice, (Notice{"Are you sure you want to remove the selected message?",
                                     Notice::kPlainTitle, Notice::Mark::None, true}));
    EXPECT_EQ(OutboxRules::removeAll(3),
              (Notice{"Are you sure you want to remove all the messages?", Notice::kPlainTitle,
                      Notice::Mark::None, true}));
}

// The poll runs while the question is open: the chosen entry is found again
// by its text, and one handed on meanwhile stays.
TEST(OutboxRules, DeleteFindsItsEntryAgainAfterTheQuestion) {
    const QStringList abcd{"[1] a +1 a", "[2] b +1 b", "[3] c +1 c", "[4] d +1 d"};
    StringEntryList outbox(abcd);
    outbox.removeAt(0); // [2] moved up meanwhile
    OutboxRules::takeOut(outbox, abcd[1]);
    EXPECT_EQ(outbox.items(), (QStringList{abcd[2], abcd[3]}));
    outbox.set(0, "Processing::" + abcd[2]); // handed on meanwhile: it stays
    OutboxRules::takeOut(outbox, abcd[2]);
    EXPECT_EQ(outbox.items(), (QStringList{"Processing::" + abcd[2], abcd[3]}));
    // The last entry containing a key; the position stays when none does.
    int pos = -7;
    for (const char* key : {"[1]", "[99]"})
        OutboxRules::lastEntryContaining({"[1] a", "Processing::[12] b", "[1] c", "[2] d"}, key,
                                         pos);
    EXPECT_EQ(pos, 2);
}
