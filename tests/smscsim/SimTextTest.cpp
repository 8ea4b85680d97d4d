// The simulator's texts: its command line, and the bytes of its files.
#include "MessageRecord.h"
#include "SimScript.h"
#include "Transcript.h"

#include <QFile>
#include <QTemporaryDir>
#include <sstream>

namespace {
std::string contents(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}
} // namespace

// The faults are set through this parser by the operator module's tests too.
TEST(SimOptions, BothSpellingsAndTheUsage) {
    const auto parsed = [](const std::string& line) { return ModemScript(line).options; };
    const SimOptions o = parsed("--link /l --lifetime 20 --guard 500 --forever --reject-every 4");
    EXPECT_TRUE(o == parsed("--link=/l --lifetime=20 --guard=500 --forever --reject-every=4"));
    EXPECT_TRUE(o.linkPath == "/l" && o.lifetimeSeconds == 20 && o.guardMs == 500 && o.runForever &&
                o.rejectEvery == 4);
    std::istringstream flags(
        "--link --record --transcript --lifetime --forever --delay --guard --connect-delay "
        "--no-dialtone --busy --no-carrier --faulty-dials --silent-modem "
        "--garbage --no-id --no-go-ahead --reject-every --terse --capital-s "
        "--unterminated --silent-after --drop-after --nak-number --modem-manager --bus "
        "--mm-not-registered --mm-locked --mm-disabled --mm-reject-every --mm-send-delay "
        "--mm-remove-after --mm-report-after --mm-no-report --help");
    for (std::string f; flags >> f;)
        EXPECT_NE(SimOptions::usage().find("  " + f + " "), std::string::npos) << f;
}

TEST(SimOptions, UsageErrorsSayWhat) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"lifetime"}, "unknown option 'lifetime'"},
        {{"--record"}, "option '--record' needs a value"},
        {{"--busy=1"}, "option '--busy' takes no value"},
        {{"--lifetime", "10s"}, "bad value '10s' for option '--lifetime'"},
        {{"--reject-every", "0"}, "bad value '0' for option '--reject-every'"},
        {{"--busy", "--no-dialtone"}, "choose at most one of --no-dialtone, --busy, --no-carrier"},
        {{"--modem-manager", "--mm-locked", "--mm-disabled"},
         "choose at most one of --mm-not-registered, --mm-locked, --mm-disabled"},
        {{"--mm-no-report"}, "--bus and the --mm- options need --modem-manager"},
    };
    for (const auto& [args, expected] : cases) {
        SimOptions o;
        std::string error;
        EXPECT_FALSE(SimOptions::parse(args, o, error));
        EXPECT_EQ(error, expected);
    }
}

// The transcript's spelling is checked by every exchange of the modem tests.
TEST(SimFiles, TheRecordEscapesControlBytesAndTheTranscriptStampsEachLine) {
    EXPECT_EQ(ByteText::recordField("10% off\t\xa3"
                                    "5 a\\b\nc\r\x1b\x7f"),
              "10% off\t\xa3"
              "5 a\\\\b\\x0Ac\\x0D\\x1B\\x7F");

    QTemporaryDir dir;
    const std::string record = dir.filePath("record.txt").toStdString();
    std::string error;
    ASSERT_TRUE(MessageRecord(record).check(error)) << error;
    // Appending is checked end to end, and its error text by the process test.
    EXPECT_EQ(contents(record), "") << "checking creates the file empty";

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
