#include "client/outbox/MessageAssembler.h"

#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2026, 12, 5), QTime(16, 20, 0));
const QString kSig14 = "- Quorvel 3.0."; // 14 characters

MessageAssembler::Input input(const QString& message, const QString& signLine = "PAGEIN" + kSig14,
                              bool signatureOn = true) {
    MessageAssembler::Input in;
    in.message = message;
    in.signature = SignatureInputs::fromSignLine(signLine);
    in.signatureOn = signatureOn;
    in.numberListCount = 1;
    in.checkedEntries = {"Jane Smith  +447700900123"};
    return in;
}

QString letters(int n) {
    QString s;
    for (int i = 0; i < n; ++i)
        s += QChar('a' + i % 26);
    return s;
}

} // namespace

// Exact entries are checked where Send makes them; here the cut and the suffix
// of the last part in every mode.
TEST(MessageAssembler, CutLengthAndSuffixInEveryMode) {
    const QString tail = " - Quorvel 3.0. 05/12/2026 16:20:00";
    struct Case {
        const char* what;
        QString signLine;
        bool signatureOn;
        int bodyLength;
        QList<int> pieceLengths; // the last one includes its blank
        QString lastSuffix;
    } cases[] = {
        // clang-format off
        {"exactly PartLength is one part", "PAGEIN" + kSig14, true, 119, {120}, " P1/1" + tail},
        {"one more is two", "PAGEIN" + kSig14, true, 120, {119, 2}, " P2/2" + tail},
        {"empty signature, page info", "PAGEIN", true, 280, {133, 133, 15},
         " P3/3  05/12/2026 16:20:00"},
        {"signature off cuts at 160", "PAGEIN" + kSig14, false, 161, {160, 2}, ""},
        {"signature off, exactly 160", "PAGEIN" + kSig14, false, 160, {161}, ""},
        {"no page info: signature without a blank", "NOPAGE" + kSig14, true, 300, {146, 146, 9},
         kSig14},
        {"empty line: no flag, no signature", "", true, 320, {160, 161}, ""},
        {"bare signature counts as page info", kSig14, true, 120, {119, 2}, " P2/2" + tail},
        // clang-format on
    };
    for (const Case& c : cases) {
        const auto plan = MessageAssembler::planImmediate(
            input(letters(c.bodyLength), c.signLine, c.signatureOn));
        ASSERT_TRUE(plan.ok()) << c.what;
        QList<int> lengths;
        for (const QString& p : plan.pieces)
            lengths << int(p.size());
        EXPECT_EQ(lengths, c.pieceLengths) << c.what;
        const int last = int(plan.pieces.size()) - 1;
        EXPECT_EQ(plan.part(last, kNow), plan.pieces[last] + c.lastSuffix) << c.what;
        if (c.signLine.startsWith("NOPAGE")) {
            EXPECT_EQ(plan.part(0, kNow), letters(146) + kSig14) << "no blank before it";
        }
    }
}

TEST(MessageAssembler, NineRealPartsAtMost) {
    const auto nine = MessageAssembler::planImmediate(input(letters(1071)));
    ASSERT_EQ(nine.pieces.size(), 9);
    EXPECT_TRUE(nine.part(8, kNow).contains(" P9/9 "));
    const auto ten = MessageAssembler::planImmediate(input(letters(1072)));
    ASSERT_FALSE(ten.ok());
    EXPECT_EQ(ten.refusal, Notice{"Message Too Long         "});
    EXPECT_EQ(ten.entryCount(), 0);
    EXPECT_TRUE(MessageAssembler::planImmediate(input(letters(1440), "", false)).ok());
    EXPECT_FALSE(MessageAssembler::planImmediate(input(letters(1441), "", false)).ok());
}

// A damaged signature line is cut to the longest signature, so it never
// crowds out the text.
TEST(MessageAssembler, ADamagedSignatureLineIsCutToTheLongestSignature) {
    for (const QString& line : {"PAGEIN" + letters(200), "NOPAGE" + letters(160), letters(133)}) {
        const auto plan = MessageAssembler::planImmediate(input("hi", line));
        EXPECT_TRUE(plan.ok()) << line.size();
        EXPECT_EQ(plan.signature.size(), 30) << line.size();
    }
}

TEST(MessageAssembler, BodyJoinsSubjectInBracketsUntrimmed) {
    EXPECT_EQ(MessageAssembler::body("", " m "), " m ");
    EXPECT_EQ(MessageAssembler::body(" s", "m"), "( s)m");
    EXPECT_EQ(MessageAssembler::body("s", ""), "(s)");
    auto in = input("", "");
    in.subject = "Hello";
    EXPECT_EQ(MessageAssembler::planImmediate(in).part(0, kNow), "(Hello) ");
}

TEST(MessageAssembler, RefusalsAndTheirColours) {
    struct Case {
        int listCount;
        QStringList checked;
        QString message, text;
        std::optional<Colour> list, box;
    } cases[] = {
        {0, {}, "hi", "Please fill SMS Number List         ", kOrange, {}},
        {1, {}, "hi", "Select Mobile Number", {}, {}},
        {2, {"Nobody  +", "Also nobody"}, "hi", "Select Mobile Number", {}, {}},
        {1, {"Jane  +441"}, "", "No Text Selected to be Sent        ", kWhite, kOrange},
    };
    for (const Case& c : cases) {
        auto in = input(c.message);
        in.numberListCount = c.listCount;
        in.checkedEntries = c.checked;
        for (bool scheduled : {false, true}) {
            SCOPED_TRACE(c.text.toStdString());
            const auto plan =
                scheduled ? MessageAssembler::planScheduled(in, QDate(2027, 1, 5), QTime(9, 5))
                          : MessageAssembler::planImmediate(in);
            ASSERT_FALSE(plan.ok());
            EXPECT_EQ(plan.refusal, Notice{c.text});
            EXPECT_EQ(plan.numberListColour, c.list);
            EXPECT_EQ(plan.messageBoxColour, c.box);
            EXPECT_EQ(plan.entryCount(), 0);
        }
    }
}

// Immediate numbers are the digits after the last "+"; scheduled ones follow the UK rule.
TEST(MessageAssembler, NumbersAreTheDigitsAfterTheLastPlusScheduledOnesUk) {
    auto in = input("hi");
    in.numberListCount = 5;
    in.checkedEntries = {"Jane Smith  +44 7700 900 123", "Flat 2B  +33612345678", "C+1 Team  +1555",
                         "No number  +", "0044123"};
    EXPECT_EQ(MessageAssembler::planImmediate(in).numbers,
              (QStringList{"+447700900123", "+33612345678", "+1555", "+0044123"}));
    in.checkedEntries = {"Leading zero  07700900123", "French  +33 612",
                         "Zero after code  +44 07700", "UK  +447700", "Bare  +1555"};
    EXPECT_EQ(MessageAssembler::planScheduled(in, QDate(2027, 1, 5), QTime(9, 5)).numbers,
              (QStringList{"+447700900123", "+4433612", "+447700", "+447700", "+441555"}));
}

// Exact scheduled entries are checked where Send makes them.
TEST(MessageAssembler, ScheduledEntriesHaveNoPartLimitAndDropTheSeconds) {
    // The signature box off drops the signature, not the page labels.
    auto off = input(letters(2102), "PAGEIN" + kSig14, false);
    const auto many = MessageAssembler::planScheduled(off, QDate(2027, 12, 25), QTime(23, 59, 31));
    ASSERT_EQ(many.pieces.size(), 22);
    EXPECT_EQ(many.part(21, kNow), letters(2102).mid(2100) + " P22/22");
    EXPECT_EQ(many.stamp, "25/12/2027 23:59:00");
}
