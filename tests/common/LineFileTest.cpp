#include "common/LineFile.h"
#include "common/ExchangeFiles.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <functional>
#include <gtest/gtest.h>

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

// A disk that runs full (the writes take 0 or 3 more bytes): every writer
// says so and leaves the file as it was, with no temporary file beside it.
TEST(LineFile, AWriteThatDoesNotFitFailsAndLeavesTheOldFileWhole) {
    TestInstallation inst;
    const QString file = inst.file(ExchangeFiles::kStateFile);
    const std::function<bool()> writers[] = {
        [&] { return LineFile::rewrite(file, {"COMPLETE"}, true); },
        [&] { return LineFile::rewrite(file, {"COMPLETE"}, false); },
        [&] { return LineFile::rewriteUnflushed(file, {"COMPLETE"}); },
        [&] { return LineFile::append(file, "COMPLETE"); },
    };
    for (const qint64 room : {0, 3}) {
        for (const auto& write : writers) {
            inst.writeBytes(ExchangeFiles::kStateFile, "INUSE\r\n");
            LineFile::failWritesAfterForTests(room);
            const bool written = write();
            LineFile::failWritesAfterForTests(-1);
            EXPECT_FALSE(written);
            EXPECT_EQ(inst.bytes(ExchangeFiles::kStateFile), QByteArray("INUSE\r\n"));
            EXPECT_EQ(QDir(inst.root()).entryList({"StartNOM*"}, QDir::Files | QDir::Hidden),
                      QStringList{"StartNOM.cfg"});
        }
    }
}
