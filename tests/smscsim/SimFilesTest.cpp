#include "ByteText.h"
#include "LineBytes.h"
#include "MessageRecord.h"
#include "Transcript.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {
std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
} // namespace

TEST(ByteText, ReadableSpellsOutControlBytes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"ATZ\r", "ATZ<CR>"},
        {"\x02"
         "4477\rHi\r\x03"
         "335\r",
         "<STX>4477<CR>Hi<CR><ETX>335<CR>"},
        {std::string("\0\x1b[p\x7f", 5), "<NUL><ESC>[p<DEL>"},
        {"\x80\xa3\xff", "<x80><xA3><xFF>"},
        {"a<b>", "a<x3C>b>"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(ByteText::readable(bytes), text);
        EXPECT_EQ(lineBytes(text), bytes) << "the test spelling reads it back";
    }
}

TEST(ByteText, RecordFieldKeepsPrintableBytesAsTheyAre) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Hello world, 10% off!", "Hello world, 10% off!"},
        {"tab\there", "tab\there"},
        {"\xa3"
         "5 \x80",
         "\xa3"
         "5 \x80"},
        {"a\\b", "a\\\\b"},
        {"line\nbreak\r\x1b", "line\\x0Abreak\\x0D\\x1B"},
        {"\x7f", "\\x7F"},
    };
    for (const auto& [bytes, field] : cases)
        EXPECT_EQ(ByteText::recordField(bytes), field);
}

TEST(MessageRecord, AppendsOneLinePerMessage) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("record.txt").toStdString();
    MessageRecord record(path);
    std::string error;
    ASSERT_TRUE(record.check(error)) << error;
    EXPECT_EQ(contents(path), "") << "checking creates the file empty";
    ASSERT_TRUE(record.append({"447700900123", "Hi"}, error)) << error;
    ASSERT_TRUE(record.append({"4420", "two\twords \xa3"}, error)) << error;
    EXPECT_EQ(contents(path), "447700900123\tHi\n4420\ttwo\twords \xa3\n");
    MessageRecord again(path);
    ASSERT_TRUE(again.append({"1", ""}, error));
    EXPECT_EQ(contents(path), "447700900123\tHi\n4420\ttwo\twords \xa3\n1\t\n")
        << "a second simulator appends too";
}

TEST(MessageRecord, UnwritablePlaceIsReported) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("missing/record.txt").toStdString();
    std::string error;
    EXPECT_FALSE(MessageRecord(path).check(error));
    EXPECT_EQ(error.rfind("cannot append to " + path + ": ", 0), 0u) << error;
}

TEST(Transcript, LinesCarryTimeDirectionAndReadableBytes) {
    EXPECT_EQ(Transcript::line(0, ">>", "ATZ<CR>"), "       0.000 >> ATZ<CR>\n");
    EXPECT_EQ(Transcript::line(1234567, "--", "port opened"), "    1234.567 -- port opened\n");
    QTemporaryDir dir;
    const std::string path = dir.filePath("t.txt").toStdString();
    {
        Transcript t;
        std::string error;
        ASSERT_TRUE(t.open(path, error));
        t.fromClient(5, "AT\r");
        t.toClient(6, "AT\r\r\nOK\r\n");
        t.note(7, "hello");
    }
    EXPECT_EQ(contents(path), "       0.005 >> AT<CR>\n"
                              "       0.006 << AT<CR><CR><LF>OK<CR><LF>\n"
                              "       0.007 -- hello\n");
}
