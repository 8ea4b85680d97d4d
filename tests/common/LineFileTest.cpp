#include "common/LineFile.h"
#include "support/TestInstallation.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

TEST(LineFile, WritersEndEveryLineWithCrLfInWindows1252) {
    TestInstallation inst;
    const QString p = inst.file("Config\\x.dat");
    ASSERT_TRUE(LineFile::rewrite(p, {QString::fromUtf8("£5 caf\u00e9"), "", "\u20ac"}));
    EXPECT_EQ(inst.bytes("Config\\x.dat"), QByteArray("\xA3"
                                                      "5 caf\xE9\r\n\r\n\x80\r\n"));
    ASSERT_TRUE(LineFile::rewrite(p, {}));
    EXPECT_EQ(inst.bytes("Config\\x.dat"), QByteArray());
    ASSERT_TRUE(LineFile::makeOneEmptyLine(p));
    EXPECT_EQ(inst.bytes("Config\\x.dat"), QByteArray("\r\n"));
    // An append never glues onto a last line without its end; missing folders are made.
    for (const auto& [before, after] :
         {std::pair<QByteArray, QByteArray>{"B  +2", "B  +2\r\nJ  +4\r\n"},
          {"", "J  +4\r\n"},
          {"<missing>", "J  +4\r\n"}}) {
        before == "<missing>" ? inst.remove("New") : inst.writeBytes("New\\BudList.dat", before);
        ASSERT_TRUE(LineFile::append(inst.file("New\\BudList.dat"), "J  +4"));
        EXPECT_EQ(inst.bytes("New\\BudList.dat"), after) << before.toStdString();
    }
}

TEST(LineFile, ReadersAcceptAnyLineEndAMissingLastOneAndAHugeLine) {
    TestInstallation inst;
    struct Case {
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"\r\n", {""}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r\n\r\n", {"a", "b", ""}},
        {QByteArray("x\0y\r\n", 5), {QString("x") + QChar(0) + "y"}},
        {QByteArray(1 << 20, 'z') + "\r\nend", {QString(1 << 20, 'z'), "end"}},
    };
    for (const Case& c : cases) {
        inst.writeBytes("f.txt", c.bytes);
        EXPECT_EQ(LineFile::readAll(inst.file("f.txt")), c.lines) << c.bytes.toHex().constData();
    }
    // A missing file reads as nothing (tried, as a missing CSV in the send tests).
    EXPECT_TRUE(LineFile::readAll(inst.file("nothing.dat")).isEmpty());
}

// A full disk (here the file size limit) takes part of a line: it is cut off
// again, so the file keeps whole lines only.
TEST(LineFile, AnAppendThatDoesNotFitLeavesNoPartOfItsLine) {
    TestInstallation inst;
    inst.writeBytes("out.dat", "[1] a +441 x\r\n");
    const auto old = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{20, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const bool appended = LineFile::append(inst.file("out.dat"), "[2] b +442 y");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old);
    EXPECT_FALSE(appended);
    EXPECT_EQ(inst.bytes("out.dat"), QByteArray("[1] a +441 x\r\n"));
}
