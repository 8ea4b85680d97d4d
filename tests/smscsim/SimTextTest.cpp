// The simulator's texts: its command line, and the bytes of its files.
#include "MessageRecord.h"
#include "SimScript.h"
#include "Transcript.h"

#include <QTemporaryDir>
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

TEST(SimOptions, EveryOptionInBothSpellings) {
    using DF = SimOptions::DialFault;
    using AS = SimOptions::AnswerStyle;
    const auto parsed = [](const std::vector<std::string>& args) {
        SimOptions o;
        std::string error;
        EXPECT_TRUE(SimOptions::parse(args, o, error)) << error;
        return o;
    };
    EXPECT_EQ(parsed({}).lifetimeSeconds, 3600);
    EXPECT_EQ(parsed({}).guardMs, 1000);
    std::vector<std::string> args;
    std::istringstream words("--link /tmp/c --record=/tmp/r --transcript /tmp/t --lifetime=20 "
                             "--delay 250 --guard=500 --forever --help --busy --faulty-dials 3 "
                             "--silent-modem --garbage --no-id --no-go-ahead --reject-every=4 "
                             "--terse --silent-after 0 --drop-after=2");
    for (std::string w; words >> w;)
        args.push_back(w);
    const SimOptions all{.linkPath = "/tmp/c",
                         .recordPath = "/tmp/r",
                         .transcriptPath = "/tmp/t",
                         .lifetimeSeconds = 20,
                         .runForever = true,
                         .help = true,
                         .delayMs = 250,
                         .guardMs = 500,
                         .dialFault = DF::Busy,
                         .faultyDials = 3,
                         .silentModem = true,
                         .garbage = true,
                         .noId = true,
                         .noGoAhead = true,
                         .rejectEvery = 4,
                         .answerStyle = AS::Terse,
                         .silentAfter = 0,
                         .dropAfter = 2};
    EXPECT_TRUE(parsed(args) == all);
    EXPECT_EQ(parsed({"--no-dialtone"}).dialFault, DF::NoDialtone);
    EXPECT_EQ(parsed({"--no-carrier"}).dialFault, DF::NoCarrier);
    EXPECT_EQ(parsed({"--capital-s"}).answerStyle, AS::CapitalS);
    EXPECT_EQ(parsed({"--unterminated"}).answerStyle, AS::Unterminated);
    const std::string usage = SimOptions::usage();
    for (const std::string& a : args)
        EXPECT_TRUE(a.rfind("--", 0) || usage.find(a.substr(0, a.find('='))) != usage.npos) << a;
}

TEST(SimOptions, UsageErrorsSayWhat) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"lifetime"}, "unknown option 'lifetime'"},
        {{"--record"}, "option '--record' needs a value"},
        {{"--busy=1"}, "option '--busy' takes no value"},
        {{"--lifetime", "10s"}, "bad value '10s' for option '--lifetime'"},
        {{"--delay", "-5"}, "bad value '-5' for option '--delay'"},
        {{"--reject-every", "0"}, "bad value '0' for option '--reject-every'"},
        {{"--drop-after", "99999999999999999999"},
         "bad value '99999999999999999999' for option '--drop-after'"},
        {{"--record="}, "bad value '' for option '--record'"},
        {{"--busy", "--no-dialtone"}, "choose at most one of --no-dialtone, --busy, --no-carrier"},
        {{"--terse", "--unterminated"},
         "choose at most one of --terse, --capital-s, --unterminated"},
    };
    for (const auto& [args, expected] : cases) {
        SimOptions o;
        std::string error;
        EXPECT_FALSE(SimOptions::parse(args, o, error));
        EXPECT_EQ(error, expected);
    }
}

TEST(SimFiles, ControlBytesAreSpelledOutInTheTranscriptAndEscapedInTheRecord) {
    const std::vector<std::pair<std::string, std::string>> readable = {
        {"\x02"
         "4477\rHi\r\x03"
         "335\r",
         "<STX>4477<CR>Hi<CR><ETX>335<CR>"},
        {std::string("\0\x1b[p\x7f", 5), "<NUL><ESC>[p<DEL>"},
        {"\x80\xa3\xff", "<x80><xA3><xFF>"},
        {"a<b>", "a<x3C>b>"}};
    for (const auto& [bytes, text] : readable) {
        EXPECT_EQ(ByteText::readable(bytes), text);
        EXPECT_EQ(lineBytes(text), bytes) << "the test spelling reads it back";
    }
    EXPECT_EQ(ByteText::recordField("10% off\t\xa3"
                                    "5 a\\b\nc\r\x1b\x7f"),
              "10% off\t\xa3"
              "5 a\\\\b\\x0Ac\\x0D\\x1B\\x7F");

    QTemporaryDir dir;
    const std::string record = dir.filePath("record.txt").toStdString();
    std::string error;
    ASSERT_TRUE(MessageRecord(record).check(error)) << error;
    EXPECT_EQ(contents(record), "") << "checking creates the file empty";
    ASSERT_TRUE(MessageRecord(record).append({"447700900123", "Hi"}, error));
    ASSERT_TRUE(MessageRecord(record).append({"4420", "two\twords \xa3"}, error));
    EXPECT_EQ(contents(record), "447700900123\tHi\n4420\ttwo\twords \xa3\n");
    const std::string nowhere = dir.filePath("missing/record.txt").toStdString();
    EXPECT_FALSE(MessageRecord(nowhere).check(error));
    EXPECT_EQ(error, "cannot append to " + nowhere + ": No such file or directory");

    const std::string path = dir.filePath("t.txt").toStdString();
    {
        Transcript t;
        ASSERT_TRUE(t.open(path, error));
        t.fromClient(5, "AT\r");
        t.toClient(6, "AT\r\r\nOK\r\n");
        t.note(1234567, "hello");
    }
    EXPECT_EQ(contents(path), "       0.005 >> AT<CR>\n"
                              "       0.006 << AT<CR><CR><LF>OK<CR><LF>\n"
                              "    1234.567 -- hello\n");
}
