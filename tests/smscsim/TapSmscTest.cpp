#include "SimScript.h"

using Step = ModemScript::Step;
using namespace Line;

namespace {
const Step dial{0, "ATDT0123<CR>", "ATDT0123<CR>" + connect};
const Step prompt{0, "<DC1><EOT><CR>", "ID="};
const Step logOn{0, "<ESC>PG1<CR>", banner + goAhead};
const Step logOff{0, "<EOT><CR>", logOffAnswer + noCarrier};

std::string hi(const char* number) {
    return block(number, "Hi");
}

// Dialled and logged on, then the rows of the case; what the centre took.
struct Exchange {
    const char* name;
    std::function<void(SimOptions&)> configure;
    std::vector<Step> rows;
    std::vector<std::string> taken; // "number|text"
    bool loggedOn = true;
};

void runAll(const std::vector<Exchange>& table) {
    for (const Exchange& e : table) {
        SCOPED_TRACE(e.name);
        ModemScript script(e.configure);
        std::vector<Step> steps = {dial};
        if (e.loggedOn)
            steps.insert(steps.end(), {prompt, logOn});
        steps.insert(steps.end(), e.rows.begin(), e.rows.end());
        script.run(steps);
        std::vector<std::string> taken;
        for (const auto& m : script.accepted)
            taken.push_back(m.number + "|" + m.text);
        EXPECT_EQ(taken, e.taken);
    }
}
} // namespace

TEST(TapSmsc, ChecksumOfTheProtocol) {
    EXPECT_EQ(TapSmsc::checksum(lineBytes("<STX>447700900123<CR>Hi<CR><ETX>")), "335");
    EXPECT_EQ(TapSmsc::checksum(std::uint32_t(4096)), "000");
    EXPECT_EQ(TapSmsc::checksum(std::uint32_t(4095)), "???");
    EXPECT_EQ(TapSmsc::checksum(std::string(1, char(0xFF))), "0??") << "codes count unsigned";
}

TEST(TapSmsc, LogOnAndLogOff) {
    runAll({
        {"a prompt for every CR, a password ignored, split reads",
         {},
         {{0, "<CR>", "ID="},
          {0, "<CR>", "ID="},
          {0, "<ESC>P", ""},
          {0, "G1secret<CR>", banner + goAhead}},
         {},
         false},
        {"another service is refused", {}, {prompt, {0, "<ESC>PG3<CR>", nak}, logOn}, {}, false},
        {"EOT before the log-on does not end the call",
         {},
         {{0, "<EOT><CR>", "ID="}, logOn},
         {},
         false},
        {"log-off ends the call; the next starts at the prompt",
         {},
         {{0, "<EOT>", ""},
          {0, "<CR>", logOffAnswer + noCarrier},
          {0, "AT<CR>", "AT<CR>" + ok},
          dial,
          {0, hi("1"), "ID=ID=ID="}},
         {}},
        {"no ID=",
         [](SimOptions& o) { o.noId = true; },
         {{0, "<CR>", ""}, {0, "<CR>", ""}},
         {},
         false},
        {"no go-ahead: blocks are ignored",
         [](SimOptions& o) { o.noGoAhead = true; },
         {prompt, {0, "<ESC>PG1<CR>", banner}, {0, hiBlock, ""}, logOff},
         {},
         false},
    });
}

TEST(TapSmsc, BlocksAreCheckedAndAnswered) {
    runAll({
        {"good blocks, two in one read",
         {},
         {{0, hiBlock + hiBlock, accepted + accepted}},
         {"447700900123|Hi", "447700900123|Hi"}},
        {"text kept byte for byte; an empty text",
         {},
         {{0, block("4420", "  a\tb <x80><xA3>+ "), accepted}, {0, block("4421", ""), accepted}},
         {"4420|  a\tb \x80\xA3+ ", "4421|"}},
        {"bad checksum", {}, {{0, "<STX>447700900123<CR>Hi<CR><ETX>336<CR>", nak}}, {}},
        {"checksum not closed by CR; a new STX restarts; noise between blocks",
         {},
         {{0, "<STX>447700900123<CR>Hi<CR><ETX>335x", nak},
          {0, "<STX>4477<CR>Hel", ""},
          {0, hiBlock, accepted},
          {0, "AT<CR>+++<CR><LF>junk<CR>", ""},
          {0, hiBlock, accepted}},
         {"447700900123|Hi", "447700900123|Hi"}},
        {"malformed blocks are rejected",
         {},
         {{0, block("4477", "Hi<CR>x"), rejected},
          {0, block("", "Hi"), rejected},
          {0, block("+4477", "Hi"), rejected},
          {0, block("4420", std::string(2000, 'x')), rejected}},
         {}},
    });
}

TEST(TapSmsc, AnswerFaults) {
    runAll({
        {"every second good block rejected, counted across calls",
         [](SimOptions& o) { o.rejectEvery = 2; },
         {{0, hi("1"), accepted},
          {0, "<STX>2<CR>Hi<CR><ETX>000<CR>", nak},
          {0, hi("2"), rejected},
          {0, hi("3"), accepted},
          logOff,
          dial,
          prompt,
          logOn,
          {0, hi("4"), rejected}},
         {"1|Hi", "3|Hi"}},
        {"terse",
         [](SimOptions& o) { o.answerStyle = SimOptions::AnswerStyle::Terse; },
         {{0, hiBlock, "211<CR><ACK><CR>"}},
         {"447700900123|Hi"}},
        {"capital S",
         [](SimOptions& o) { o.answerStyle = SimOptions::AnswerStyle::CapitalS; },
         {{0, hiBlock, "211 Message Sent Successfully<CR><ACK><CR>"}},
         {"447700900123|Hi"}},
        {"unterminated",
         [](SimOptions& o) { o.answerStyle = SimOptions::AnswerStyle::Unterminated; },
         {{0, hiBlock, "211 Transmission successful"}},
         {"447700900123|Hi"}},
        {"silent after one message, log-off still answered",
         [](SimOptions& o) { o.silentAfter = 1; },
         {{0, hi("1"), accepted}, {0, hi("2"), ""}, logOff},
         {"1|Hi"}},
        {"line dropped after two messages, once; then the modem echoes",
         [](SimOptions& o) { o.dropAfter = 2; },
         {{0, hi("1"), accepted},
          {0, hi("2"), accepted + noCarrier},
          {0, hi("3"), hi("3")},
          dial,
          prompt,
          logOn,
          {0, hi("3"), accepted},
          {0, hi("4"), accepted}},
         {"1|Hi", "2|Hi", "3|Hi", "4|Hi"}},
    });
}

TEST(TapSmsc, AHangUpMidBlockLosesNothingLaterAndADelayedAcceptanceCountsWhenSent) {
    ModemScript script([](SimOptions& o) { o.delayMs = 300; });
    script.run({{0, "ATDT1<CR>", "ATDT1<CR>"}, {300, "<CR>", connect}, {600, "", "ID="}});
    script.run({{600, "<ESC>PG1<CR>", ""}, {900, "<STX>447700900123<CR>H", banner + goAhead}});
    script.modem.reset();
    script.run({{1000, "ATDT1<CR>", "ATDT1<CR>"},
                {1300, "<CR>", connect},
                {1600, "<ESC>PG1<CR>", "ID="},
                {1900, hiBlock, banner + goAhead}});
    EXPECT_TRUE(script.accepted.empty());
    EXPECT_EQ(script.due(2199), "");
    EXPECT_EQ(script.due(2200), accepted);
    ASSERT_EQ(script.accepted.size(), 1u);
    EXPECT_EQ(script.accepted[0].text, "Hi");
}
