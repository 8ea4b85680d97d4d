#include "client/outbox/AcceptedIndex.h"
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
