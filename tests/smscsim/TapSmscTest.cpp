#include "ModemScript.h"

#include "ByteText.h"

#include <gtest/gtest.h>

using Step = ModemScript::Step;
using namespace Line;

namespace {
const Step dial{0, "ATDT0123<CR>", "ATDT0123<CR>" + connect};
const Step prompt{0, "<DC1><EOT><CR>", "ID="};
const Step logOn{0, "<ESC>PG1<CR>", banner + goAhead};
const Step logOff{0, "<EOT><CR>", logOffAnswer + noCarrier};

// Dialled and logged on, then the rows of the case.
std::vector<Step> session(std::vector<Step> rows) {
    std::vector<Step> all = {dial, prompt, logOn};
    all.insert(all.end(), rows.begin(), rows.end());
    return all;
}

struct Exchange {
    const char* name;
    std::function<void(SimOptions&)> configure;
    std::vector<Step> steps;
    std::vector<std::string> recorded; // "number|text"
};

void runAll(const std::vector<Exchange>& table) {
    for (const Exchange& e : table) {
        SCOPED_TRACE(e.name);
        ModemScript script(e.configure);
        script.run(e.steps);
        std::vector<std::string> recorded;
        for (const auto& m : script.accepted)
            recorded.push_back(m.number + "|" + m.text);
        EXPECT_EQ(recorded, e.recorded);
    }
}
} // namespace

TEST(TapSmsc, ChecksumOfTheProtocol) {
    EXPECT_EQ(TapSmsc::checksum(lineBytes("<STX>447700900123<CR>Hi<CR><ETX>")), "335");
    EXPECT_EQ(TapSmsc::checksum(std::uint32_t(4096)), "000");
    EXPECT_EQ(TapSmsc::checksum(std::uint32_t(4095)), "???");
    EXPECT_EQ(TapSmsc::checksum(std::uint32_t(4096 + 821)), "335");
    EXPECT_EQ(TapSmsc::checksum(std::string(1, char(0xFF))), "0??") << "codes count unsigned";
}

TEST(TapSmsc, LogOnAndLogOff) {
    runAll({
        {"prompt on every CR until the log-on",
         {},
         {dial, {0, "<CR>", "ID="}, {0, "<CR>", "ID="}, logOn},
         {}},
        {"clearing the line first", {}, {dial, prompt, logOn}, {}},
        {"log-on with a password",
         {},
         {dial, prompt, {0, "<ESC>PG1secret<CR>", banner + goAhead}},
         {}},
        {"log-on split across reads",
         {},
         {dial, prompt, {0, "<ESC>P", ""}, {0, "G", ""}, {0, "1<CR>", banner + goAhead}},
         {}},
        {"another service is refused", {}, {dial, prompt, {0, "<ESC>PG3<CR>", nak}, logOn}, {}},
        {"log-off ends the call", {}, session({logOff, {0, "AT<CR>", "AT<CR>" + ok}}), {}},
        {"log-off split across reads",
         {},
         session({{0, "<EOT>", ""}, {0, "<CR>", logOffAnswer + noCarrier}}),
         {}},
        {"EOT before the log-on does not end the call",
         {},
         {dial, {0, "<EOT><CR>", "ID="}, logOn},
         {}},
        {"a new call starts at the prompt",
         {},
         session({logOff, {0, "ATDT1<CR>", "ATDT1<CR>" + connect}, {0, hiBlock, "ID=ID=ID="}}),
         {}},
        {"no ID=",
         [](SimOptions& o) { o.noId = true; },
         {dial, {0, "<CR>", ""}, {0, "<CR>", ""}, {0, "<ESC>PG1<CR>", ""}},
         {}},
        {"no go-ahead",
         [](SimOptions& o) { o.noGoAhead = true; },
         {dial, prompt, {0, "<ESC>PG1<CR>", banner}, {0, hiBlock, ""}, logOff},
         {}},
    });
}

TEST(TapSmsc, BlocksAreCheckedAndAnswered) {
    runAll({
        {"a good block", {}, session({{0, hiBlock, accepted}}), {"447700900123|Hi"}},
        {"one byte at a time",
         {},
         [] {
             std::vector<Step> rows = {dial, prompt, logOn};
             std::string bytes = lineBytes(hiBlock);
             for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
                 rows.push_back({0, ByteText::readable(bytes.substr(i, 1)), ""});
             rows.push_back({0, "<CR>", accepted});
             return rows;
         }(),
         {"447700900123|Hi"}},
        {"several in one read",
         {},
         session({{0, hiBlock + hiBlock, accepted + accepted}}),
         {"447700900123|Hi", "447700900123|Hi"}},
        {"text kept byte for byte",
         {},
         session({{0, block("4420", "  a\tb <x80><xA3>+ "), accepted}}),
         {"4420|  a\tb \x80\xA3+ "}},
        {"an empty text", {}, session({{0, block("4420", ""), accepted}}), {"4420|"}},
        {"bad checksum", {}, session({{0, "<STX>447700900123<CR>Hi<CR><ETX>336<CR>", nak}}), {}},
        {"checksum not closed by CR",
         {},
         session({{0, "<STX>447700900123<CR>Hi<CR><ETX>335x", nak}, {0, hiBlock, accepted}}),
         {"447700900123|Hi"}},
        {"a new STX restarts the block",
         {},
         session({{0, "<STX>4477<CR>Hel", ""}, {0, hiBlock, accepted}}),
         {"447700900123|Hi"}},
        {"noise between blocks is ignored",
         {},
         session({{0, "AT<CR>+++<CR><LF>junk<CR>", ""}, {0, hiBlock, accepted}}),
         {"447700900123|Hi"}},
        {"one field only", {}, session({{0, block("447700900123", "Hi<CR>x"), rejected}}), {}},
        {"no number", {}, session({{0, block("", "Hi"), rejected}}), {}},
        {"a number with a plus", {}, session({{0, block("+4477", "Hi"), rejected}}), {}},
        {"blocks before the go-ahead are ignored",
         [](SimOptions& o) { o.noGoAhead = true; },
         {dial, prompt, {0, "<ESC>PG1<CR>", banner}, {0, hiBlock, ""}},
         {}},
    });
}

TEST(TapSmsc, OverlongBlockIsRejectedAndBounded) {
    ModemScript script;
    script.run(session({}));
    std::string text(100000, 'x');
    script.run({{0, block("4420", text), rejected}, {0, hiBlock, accepted}});
    ASSERT_EQ(script.accepted.size(), 1u);
    EXPECT_EQ(script.accepted[0].text, "Hi");
}

TEST(TapSmsc, AnswerFaults) {
    auto hi = [](const char* number) { return block(number, "Hi"); };
    runAll({
        {"every second good block rejected, counted across calls",
         [](SimOptions& o) { o.rejectEvery = 2; },
         {dial,
          prompt,
          logOn,
          {0, hi("1"), accepted},
          {0, "<STX>2<CR>Hi<CR><ETX>000<CR>", nak},
          {0, hi("2"), rejected},
          {0, hi("3"), accepted},
          logOff,
          dial,
          prompt,
          logOn,
          {0, hi("4"), rejected},
          {0, hi("5"), accepted}},
         {"1|Hi", "3|Hi", "5|Hi"}},
        {"terse",
         [](SimOptions& o) { o.answerStyle = SimOptions::AnswerStyle::Terse; },
         session({{0, hiBlock, "211<CR><ACK><CR>"}}),
         {"447700900123|Hi"}},
        {"capital S",
         [](SimOptions& o) { o.answerStyle = SimOptions::AnswerStyle::CapitalS; },
         session({{0, hiBlock, "211 Message Sent Successfully<CR><ACK><CR>"}}),
         {"447700900123|Hi"}},
        {"silent after one message, log-off still answered",
         [](SimOptions& o) { o.silentAfter = 1; },
         session({{0, hi("1"), accepted}, {0, hi("2"), ""}, {0, hi("3"), ""}, logOff}),
         {"1|Hi"}},
        {"silent from the start",
         [](SimOptions& o) { o.silentAfter = 0; },
         session({{0, hi("1"), ""}}),
         {}},
        {"line dropped after two messages, once",
         [](SimOptions& o) { o.dropAfter = 2; },
         {dial,
          prompt,
          logOn,
          {0, hi("1"), accepted},
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

TEST(TapSmsc, DelayedAcceptanceIsRecordedWhenItGoesOut) {
    ModemScript script([](SimOptions& o) { o.delayMs = 300; });
    script.run({{0, "ATDT1<CR>", "ATDT1<CR>"},
                {300, "", connect},
                {300, "<CR>", ""},
                {600, "", "ID="},
                {600, "<ESC>PG1<CR>", ""},
                {900, "", banner + goAhead},
                {900, hiBlock, ""}});
    EXPECT_TRUE(script.accepted.empty());
    EXPECT_EQ(script.due(1199), "");
    EXPECT_EQ(script.due(1200), accepted);
    ASSERT_EQ(script.accepted.size(), 1u);
}

TEST(TapSmsc, HangUpInTheMiddleOfABlockLosesNothingLater) {
    ModemScript script;
    script.run(session({{0, "<STX>447700900123<CR>H", ""}}));
    script.modem.reset();
    script.run(session({{0, hiBlock, accepted}}));
    ASSERT_EQ(script.accepted.size(), 1u);
    EXPECT_EQ(script.accepted[0].text, "Hi");
}
