#include "client/outbox/OutboxRules.h"
#include "client/outbox/EntryList.h"
#include "support/WidgetTest.h"

using Answer = MessageBox::Answer;
using Icon = MessageBox::Icon;

namespace {
const QString kWaiting = "[1] 05/12/2026 16:20:00 +44123 a";
const QString kEmpty = "The Outbox is empty. No messages to delete        ";
const QString kAsk = "Are you sure you want to remove the selected message?";
} // namespace

// Delete selected refuses entries in delivery and missing choices, else asks;
// status words inside a waiting entry's text do not refuse it.
TEST(OutboxRules, DeleteRefusesEntriesInDeliveryAndMissingChoicesElseAsks) {
    const QString worded = "[2] x +1 Accepted:: Processing:: Remove:: y";
    struct Case {
        QStringList entries;
        int selected;
        Answer answer;
        QString text, title;
        Icon icon;
        QStringList after{};
    } cases[] = {
        {{}, -1, Answer::No, kEmpty, "Quorvel Warning", Icon::Warning, {}},
        {{"Accepted::" + kWaiting},
         0,
         Answer::No,
         "Message has been processed. Cannot be deleted        ",
         "Quorvel Warning",
         Icon::Warning},
        {{kWaiting, "Processing::" + kWaiting},
         1,
         Answer::No,
         "Message is being processed. Cannot be deleted        ",
         "Quorvel Warning",
         Icon::Warning},
        {{"Remove::" + kWaiting},
         0,
         Answer::No,
         "Message is being deleted. Cannot be deleted        ",
         "Quorvel Warning",
         Icon::Warning},
        {{kWaiting},
         -1,
         Answer::No,
         "No message selected in outbox.",
         "Quorvel Warning",
         Icon::None},
        {{kWaiting},
         5,
         Answer::No,
         "No message selected in outbox.",
         "Quorvel Warning",
         Icon::None},
        {{kWaiting, worded}, 1, Answer::No, kAsk, "Quorvel", Icon::None, {kWaiting, worded}},
        {{kWaiting, worded}, 1, Answer::Yes, kAsk, "Quorvel", Icon::None, {kWaiting}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        ScriptedMessageBox boxes;
        boxes.answerNext(c.answer);
        StringEntryList outbox(c.entries);
        EXPECT_EQ(OutboxRules::DeleteSelected(outbox, c.selected), c.text == kAsk);
        ASSERT_EQ(boxes.texts(), QStringList{c.text});
        EXPECT_TRUE(boxes.lastIs(c.title, c.icon));
        const bool asked = c.text == kAsk;
        EXPECT_EQ(boxes.last().buttons,
                  asked ? MessageBox::Buttons::YesNo : MessageBox::Buttons::Ok);
        EXPECT_EQ(outbox.items(), asked ? c.after : c.entries);
    }
}

TEST(OutboxRules, RemoveAllAsksAndClearsOnlyOnYes) {
    for (auto [count, answer, clears] :
         {std::tuple{0, Answer::Yes, false}, std::tuple{3, Answer::No, false},
          std::tuple{3, Answer::Yes, true}}) {
        ScriptedMessageBox boxes;
        boxes.answerNext(answer);
        EXPECT_EQ(OutboxRules::RemoveAll(count), clears);
        const bool asked = count > 0;
        ASSERT_EQ(
            boxes.texts(),
            QStringList{asked ? "Are you sure you want to remove all the messages?" : kEmpty});
        EXPECT_TRUE(boxes.lastIs("Quorvel", asked ? Icon::None : Icon::Warning));
        EXPECT_TRUE(!asked || boxes.last().defaultButton == Answer::No);
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
    EXPECT_EQ(boxes.last().defaultButton, Answer::No);
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
