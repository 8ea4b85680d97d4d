#include "client/composition/Counters.h"
#include "client/composition/MessageEditor.h"
#include "client/composition/SplitWarning.h"
#include "support/ScriptedMessageBox.h"

#include <gtest/gtest.h>

TEST(Counters, ASubjectAddsItsTwoParentheses) {
    struct Case {
        int subject, message, signature;
        long long text4, total;
    } cases[] = {
        {0, 0, 0, 0, 0}, {0, 0, 53, 0, 53},      {0, 150, 30, 150, 180}, {2, 150, 30, 154, 184},
        {1, 0, 0, 3, 3}, {100, 0, 26, 102, 128}, {0, 160, 0, 160, 160},  {2, 129, 27, 133, 160},
    };
    for (const Case& c : cases) {
        const auto v = Counters::afterEdit(c.subject, c.message, c.signature);
        EXPECT_EQ(v.message, c.text4) << c.subject << "/" << c.message << "/" << c.signature;
        EXPECT_EQ(v.total, c.total) << c.subject << "/" << c.message << "/" << c.signature;
    }
}

TEST(Counters, StartUpSignatureSwitchAndAcceptLeaveTheParenthesesOut) {
    EXPECT_EQ(Counters::plainTotal(2, 30, 150), 182);
    EXPECT_EQ(Counters::totalAfterSignatureAccept("154", 53), 207);
    EXPECT_EQ(Counters::totalAfterSignatureAccept("", 53), 53);
    EXPECT_EQ(Counters::signatureAfterAccept(true, "  abc  "), 30);
    EXPECT_EQ(Counters::signatureAfterAccept(false, "  abc  "), 3);
    EXPECT_EQ(Counters::signatureAfterAccept(false, " \tabc\t "), 5) << "tabs are no blanks";
    EXPECT_EQ(Counters::value(" 184"), 184);
    EXPECT_EQ(Counters::value(""), 0);
}

TEST(SplitWarning, WhiteUpToTheLimitOrangeAboveWithOneWarningPerMessage) {
    ScriptedMessageBox boxes;
    SplitWarning w;
    // Each colouring, with the number of boxes already shown when it came.
    QList<std::pair<Colour, qsizetype>> painted;
    const auto paint = [&](Colour c) { painted.append({c, boxes.shown().size()}); };

    w.ApplyLengthColour(160, 160, paint);
    EXPECT_EQ(painted.last(), (std::pair{kWhite, qsizetype(0)}));
    EXPECT_TRUE(boxes.shown().isEmpty());

    w.ApplyLengthColour(161, 160, paint);
    EXPECT_EQ(painted.last(), (std::pair{kOrange, qsizetype(0)})) << "orange before the warning";
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.last().text, "Quorvel Subject + Message + Signature length is greater than "
                                 "160 characters.\r\nThe message text will be broken into two or "
                                 "more messages.");
    EXPECT_TRUE(boxes.lastIs("Quorvel Warning", MessageBox::Icon::Warning));
    EXPECT_TRUE(w.SplitWarningShown());

    w.ApplyLengthColour(20, 160, paint);
    EXPECT_EQ(painted.last().first, kWhite);
    w.ApplyLengthColour(400, 160, paint);
    EXPECT_EQ(painted.last().first, kOrange);
    EXPECT_EQ(boxes.shown().size(), 1) << "crossing the limit again shows nothing";
    EXPECT_EQ(painted.size(), 4) << "every check colours";

    w.rearm();
    w.ApplyLengthColour(161, 160, paint);
    EXPECT_EQ(painted.last(), (std::pair{kOrange, qsizetype(1)}));
    EXPECT_EQ(boxes.shown().size(), 2);
}

TEST(MessageEditor, EmptyingBothBoxesMakesANewMessageThatMayWarnAgain) {
    ScriptedMessageBox boxes;
    MessageEditor e;
    e.splitWarning().ApplyLengthColour(161, 160, [](Colour) {});
    EXPECT_EQ(e.recount(1, 0, 30).message, 3);
    EXPECT_EQ(e.recount(0, 1, 30).message, 1);
    EXPECT_TRUE(e.splitWarning().SplitWarningShown()) << "either box still holds text";
    EXPECT_EQ(e.recount(0, 0, 30).total, 30);
    EXPECT_FALSE(e.splitWarning().SplitWarningShown());
}
