#include "client/outbox/OutboxRules.h"
#include "client/outbox/EntryList.h"
#include "support/WidgetTest.h"

using Answer = MessageBox::Answer;

namespace {
const QString kWaiting = "[1] 05/12/2026 16:20:00 +44123 a";
}

TEST(OutboxRules, DeleteRefusesEntriesInDeliveryAndMissingChoices) {
    struct Case {
        QStringList entries;
        int selected;
        const char* text;
        MessageBox::Icon icon;
    } cases[] = {
        // clang-format off
        {{}, -1, "The Outbox is empty. No messages to delete        ", MessageBox::Icon::Warning},
        {{"Accepted::" + kWaiting}, 0, "Message has been processed. Cannot be deleted        ",
         MessageBox::Icon::Warning},
        {{kWaiting, "Processing::" + kWaiting}, 1,
         "Message is being processed. Cannot be deleted        ", MessageBox::Icon::Warning},
        {{"Remove::" + kWaiting}, 0, "Message is being deleted. Cannot be deleted        ",
         MessageBox::Icon::Warning},
        {{kWaiting}, -1, "No message selected in outbox.", MessageBox::Icon::None},
        {{kWaiting}, 5, "No message selected in outbox.", MessageBox::Icon::None},
        // clang-format on
    };
    for (const Case& c : cases) {
        ScriptedMessageBox boxes;
        StringEntryList outbox(c.entries);
        EXPECT_FALSE(OutboxRules::DeleteSelected(outbox, c.selected)) << c.text;
        ASSERT_EQ(boxes.shown().size(), 1) << c.text;
        EXPECT_EQ(boxes.last().text, c.text);
        EXPECT_TRUE(boxes.lastIs("Quorvel Warning", c.icon)) << c.text;
        EXPECT_EQ(outbox.items(), c.entries) << c.text;
    }
}

TEST(OutboxRules, DeleteAndRemoveAllAskAndActOnlyOnYes) {
    {
        ScriptedMessageBox boxes;
        EXPECT_FALSE(OutboxRules::RemoveAll(0));
        EXPECT_EQ(boxes.texts(), QStringList{"The Outbox is empty. No messages to delete        "});
        EXPECT_TRUE(boxes.lastIs("Quorvel", MessageBox::Icon::Warning));
    }
    // Status words inside a waiting entry's text do not refuse it.
    const QStringList entries{kWaiting, "[2] x +1 Accepted:: Processing:: Remove:: y"};
    for (auto [answer, yes] : {std::pair{Answer::Yes, true}, std::pair{Answer::No, false}}) {
        ScriptedMessageBox boxes;
        boxes.answerNext(answer);
        StringEntryList outbox(entries);
        EXPECT_TRUE(OutboxRules::DeleteSelected(outbox, 1));
        boxes.answerNext(answer);
        EXPECT_EQ(OutboxRules::RemoveAll(3), yes);
        EXPECT_EQ(boxes.texts(),
                  (QStringList{"Are you sure you want to remove the selected message?",
                               "Are you sure you want to remove all the messages?"}));
        for (const MessageBox::Request& b : boxes.shown()) {
            EXPECT_EQ(b.title, "Quorvel");
            EXPECT_EQ(b.buttons, MessageBox::Buttons::YesNo);
            EXPECT_EQ(b.defaultButton, Answer::No);
        }
        EXPECT_EQ(outbox.items(), yes ? QStringList{kWaiting} : entries);
    }
}

// The poll runs while the question is open: the chosen entry is found again
// by its text, and one handed on meanwhile stays.
TEST(OutboxRules, DeleteFindsItsEntryAgainAfterTheQuestion) {
    const QStringList abcd{"[1] a +1 a", "[2] b +1 b", "[3] c +1 c", "[4] d +1 d"};
    StringEntryList outbox(abcd);
    ScriptedMessageBox boxes;
    std::function<void()> meanwhile = [&] { outbox.removeAt(0); };
    PeekingMessageBox peek([&](const MessageBox::Request&) { meanwhile(); });
    boxes.answerNext(Answer::Yes);
    EXPECT_TRUE(OutboxRules::DeleteSelected(outbox, 1)); // [2] moved up meanwhile
    EXPECT_EQ(outbox.items(), (QStringList{abcd[2], abcd[3]}));
    meanwhile = [&] { outbox.set(0, "Processing::" + abcd[2]); };
    boxes.answerNext(Answer::Yes);
    EXPECT_TRUE(OutboxRules::DeleteSelected(outbox, 0)); // handed on meanwhile: it stays
    EXPECT_EQ(outbox.items(), (QStringList{"Processing::" + abcd[2], abcd[3]}));
    // The last entry containing a key; the position stays when none does.
    int pos = -7;
    for (const char* key : {"[1]", "[99]"})
        OutboxRules::GetExactOutboxPos({"[1] a", "Processing::[12] b", "[1] c", "[2] d"}, key, pos);
    EXPECT_EQ(pos, 2);
}
