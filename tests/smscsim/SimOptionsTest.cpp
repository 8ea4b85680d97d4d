#include "SimOptions.h"

#include <gtest/gtest.h>

namespace {
SimOptions parsed(const std::vector<std::string>& args) {
    SimOptions o;
    std::string error;
    EXPECT_TRUE(SimOptions::parse(args, o, error)) << error;
    return o;
}

std::string refused(const std::vector<std::string>& args) {
    SimOptions o;
    std::string error;
    EXPECT_FALSE(SimOptions::parse(args, o, error));
    return error;
}
} // namespace

TEST(SimOptions, DefaultsRunForAnHourWithoutFaults) {
    SimOptions o = parsed({});
    EXPECT_EQ(o.lifetimeSeconds, 3600);
    EXPECT_FALSE(o.forever);
    EXPECT_EQ(o.delayMs, 0);
    EXPECT_EQ(o.guardMs, 1000);
    EXPECT_EQ(o.dialFault, SimOptions::DialFault::None);
    EXPECT_EQ(o.answerStyle, SimOptions::AnswerStyle::Successful);
    EXPECT_EQ(o.rejectEvery, 0);
    EXPECT_EQ(o.silentAfter, -1);
    EXPECT_EQ(o.dropAfter, -1);
    EXPECT_EQ(o.faultyDials, -1);
    EXPECT_TRUE(o.recordPath.empty());
}

TEST(SimOptions, EveryOptionInBothSpellings) {
    SimOptions o = parsed({"--link",
                           "/tmp/com1",
                           "--record=/tmp/r",
                           "--transcript",
                           "/tmp/t",
                           "--lifetime=20",
                           "--delay",
                           "250",
                           "--guard=500",
                           "--busy",
                           "--faulty-dials",
                           "3",
                           "--silent-modem",
                           "--no-id",
                           "--no-go-ahead",
                           "--reject-every=4",
                           "--terse",
                           "--silent-after",
                           "0",
                           "--drop-after=2",
                           "--forever"});
    EXPECT_EQ(o.linkPath, "/tmp/com1");
    EXPECT_EQ(o.recordPath, "/tmp/r");
    EXPECT_EQ(o.transcriptPath, "/tmp/t");
    EXPECT_EQ(o.lifetimeSeconds, 20);
    EXPECT_EQ(o.delayMs, 250);
    EXPECT_EQ(o.guardMs, 500);
    EXPECT_EQ(o.dialFault, SimOptions::DialFault::Busy);
    EXPECT_EQ(o.faultyDials, 3);
    EXPECT_TRUE(o.silentModem && o.noId && o.noGoAhead && o.forever);
    EXPECT_EQ(o.rejectEvery, 4);
    EXPECT_EQ(o.answerStyle, SimOptions::AnswerStyle::Terse);
    EXPECT_EQ(o.silentAfter, 0);
    EXPECT_EQ(o.dropAfter, 2);
    EXPECT_EQ(parsed({"--no-dialtone"}).dialFault, SimOptions::DialFault::NoDialtone);
    EXPECT_EQ(parsed({"--no-carrier"}).dialFault, SimOptions::DialFault::NoCarrier);
    EXPECT_EQ(parsed({"--capital-s"}).answerStyle, SimOptions::AnswerStyle::CapitalS);
    EXPECT_TRUE(parsed({"--help"}).help);
}

TEST(SimOptions, UsageErrorsSayWhat) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--fast"}, "unknown option '--fast'"},
        {{"lifetime"}, "unknown option 'lifetime'"},
        {{"--record"}, "option '--record' needs a value"},
        {{"--busy=1"}, "option '--busy' takes no value"},
        {{"--lifetime", "0"}, "bad value '0' for option '--lifetime'"},
        {{"--lifetime", "10s"}, "bad value '10s' for option '--lifetime'"},
        {{"--delay", "-5"}, "bad value '-5' for option '--delay'"},
        {{"--reject-every", "0"}, "bad value '0' for option '--reject-every'"},
        {{"--drop-after", "99999999999999999999"},
         "bad value '99999999999999999999' for option '--drop-after'"},
        {{"--record="}, "bad value '' for option '--record'"},
        {{"--busy", "--no-dialtone"}, "choose at most one of --no-dialtone, --busy, --no-carrier"},
        {{"--terse", "--capital-s"}, "choose at most one of --terse, --capital-s"},
    };
    for (const auto& [args, error] : cases)
        EXPECT_EQ(refused(args), error);
}

TEST(SimOptions, UsageNamesEveryOption) {
    const std::string usage = SimOptions::usage();
    for (const char* flag :
         {"--link",         "--record",       "--transcript",   "--lifetime",    "--forever",
          "--delay",        "--guard",        "--no-dialtone",  "--busy",        "--no-carrier",
          "--faulty-dials", "--silent-modem", "--no-id",        "--no-go-ahead", "--reject-every",
          "--terse",        "--capital-s",    "--silent-after", "--drop-after",  "--help"})
        EXPECT_NE(usage.find(flag), std::string::npos) << flag;
}
