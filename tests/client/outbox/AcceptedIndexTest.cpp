#include "client/outbox/AcceptedIndex.h"
#include "client/outbox/AcceptedMarking.h"
#include "support/TestInstallation.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString kOut = "NOM\\UK\\Cellnet\\Config\\Brindle.out";

void appendRaw(const TestInstallation& inst, const QByteArray& bytes) {
    QFile f(inst.file(kOut));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Append));
    f.write(bytes);
}

} // namespace

// Brindle appends to its accepted file while the client polls it.
TEST(AcceptedIndex, ReadsOnlyWhatWasAppendedAndAShrunkFileAgainWhole) {
    TestInstallation inst;
    AcceptedIndex index(inst.file(kOut));
    index.refresh();
    EXPECT_EQ(index.size(), 0);
    appendRaw(inst, "[1] a +441 x\r\n\r\n   \r\n[2] b +442 y\r\n");
    index.refresh();
    EXPECT_TRUE(index.contains("[1]") && index.contains("[2]"));
    EXPECT_EQ(index.size(), 2);
    // A line arriving in two writes is taken once it is complete.
    appendRaw(inst, "[3] c +4");
    index.refresh();
    EXPECT_FALSE(index.contains("[3]"));
    appendRaw(inst, "43 z\r\n[4] d +444 w\r\n");
    index.refresh();
    EXPECT_TRUE(index.contains("[3]") && index.contains("[4]"));
    EXPECT_EQ(index.fullReads(), 1);
    // A last line without its line end counts once it stays so.
    appendRaw(inst, "[5] a +445 x");
    index.refresh();
    EXPECT_FALSE(index.contains("[5]"));
    index.refresh();
    EXPECT_TRUE(index.contains("[5]"));

    inst.writeBytes(kOut, "[9] z +449 q\r\n");
    index.refresh();
    EXPECT_FALSE(index.contains("[1]"));
    EXPECT_TRUE(index.contains("[9]"));
    inst.remove(kOut);
    index.refresh();
    EXPECT_EQ(index.size(), 0) << "a missing file reads as empty";
}

TEST(AcceptedMarking, MarksByTheWholeBracketedId) {
    TestInstallation inst;
    AcceptedIndex index(inst.file(kOut));
    appendRaw(inst, "[12] 05/12/2026 16:20:00 +441 twelve\r\n"
                    "[3] 05/12/2026 16:20:00 +441 three] [x]\r\n");
    index.refresh();
    QStringList outbox = {
        "[1] 05/12/2026 16:20:00 +441 one", // a prefix of 12: not accepted
        "Processing::[12] 05/12/2026 16:20:00 +441 twelve",
        "[3] 05/12/2026 16:20:00 +441 three] [x]",
        "Accepted::[3] 05/12/2026 16:20:00 +441 old copy",
        "[4] 05/12/2026 16:20:00 +441 text with [12] inside",
    };
    const QList<int> changed = AcceptedMarking::markAccepted(outbox, index);
    EXPECT_EQ(changed, (QList<int>{1, 2}));
    EXPECT_EQ(outbox[0], "[1] 05/12/2026 16:20:00 +441 one");
    EXPECT_EQ(outbox[1], "Accepted::[12] 05/12/2026 16:20:00 +441 twelve");
    EXPECT_EQ(outbox[2], "Accepted::[3] 05/12/2026 16:20:00 +441 three] [x]");
    EXPECT_EQ(outbox[3], "Accepted::[3] 05/12/2026 16:20:00 +441 old copy");
    EXPECT_EQ(outbox[4], "[4] 05/12/2026 16:20:00 +441 text with [12] inside");
    EXPECT_TRUE(AcceptedMarking::markAccepted(outbox, index).isEmpty()) << "marking is idempotent";
}
