#include "SimScript.h"

#include <random>

using Step = ModemScript::Step;
using namespace Line;

namespace {
struct Exchange {
    const char* name;
    std::function<void(SimOptions&)> configure;
    std::vector<Step> steps;
};

void runAll(const std::vector<Exchange>& table) {
    for (const Exchange& e : table) {
        SCOPED_TRACE(e.name);
        ModemScript(e.configure).run(e.steps);
    }
}

const auto busy = [](SimOptions& o) { o.dialFault = SimOptions::DialFault::Busy; };
} // namespace

TEST(HayesModem, CommandStateAnswersAsARealModem) {
    runAll({
        {"reset, echoed", {}, {{0, "ATZ<CR>", "ATZ<CR>" + ok}, {0, "atz<CR>", "atz<CR>" + ok}}},
        {"echo off, then on; ATZ restores it",
         {},
         {{0, "ATE0<CR>", "ATE0<CR>" + ok},
          {0, "AT<CR>", ok},
          {0, "ATZ<CR>", ok},
          {0, "AT<CR>", "AT<CR>" + ok}}},
        {"split across reads", {}, {{0, "A", "A"}, {0, "TZ", "TZ"}, {0, "<CR>", "<CR>" + ok}}},
        {"noise before AT, LF and backspace",
         {},
         {{0, "x<SOH>+ATJ<BS>Z<CR><LF>", "x<SOH>+ATJ<BS>Z<CR>" + ok + "<LF>"}}},
        {"a line without AT is only echoed", {}, {{0, "hello<CR>", "hello<CR>"}}},
        {"errors", {}, {{0, "ATJ<CR>", "ATJ<CR>" + error}, {0, "ATV0<CR>", "ATV0<CR>" + error}}},
        {"several commands, one result",
         {},
         {{0, "ATE0 L1 M0 X4 Q0 V1 &C1 &D2 H0<CR>", "ATE0 L1 M0 X4 Q0 V1 &C1 &D2 H0<CR>" + ok}}},
        {"identity and registers",
         {},
         {{0, "ATI<CR>", "ATI<CR><CR><LF>smscsim<CR><LF>" + ok},
          {0, "ATS7=50<CR>", "ATS7=50<CR>" + ok},
          {0, "ATS7?<CR>", "ATS7?<CR><CR><LF>050<CR><LF>" + ok},
          {0, "ATS300=1<CR>", "ATS300=1<CR>" + error}}},
        {"on hook: ATH is fine, ATO has no call",
         {},
         {{0, "ATH<CR>", "ATH<CR>" + ok}, {0, "ATO<CR>", "ATO<CR>" + noCarrier}}},
        {"dials connect whatever the number",
         {},
         {{0, "ATDT9,+44 7700<CR>", "ATDT9,+44 7700<CR>" + connect},
          {0, "ATZ<CR>", "ID="}}}, // on line, commands go down the line
        {"garbage comes before answers, not echoes",
         [](SimOptions& o) { o.garbage = true; },
         {{0, "ATZ<CR>", "ATZ<CR><xFF><NUL>#~<DEL>" + ok}}},
        {"no dial tone",
         [](SimOptions& o) { o.dialFault = SimOptions::DialFault::NoDialtone; },
         {{0, "ATDT1<CR>", "ATDT1<CR><CR><LF>NO DIALTONE<CR><LF>"}}},
        {"no carrier",
         [](SimOptions& o) { o.dialFault = SimOptions::DialFault::NoCarrier; },
         {{0, "ATDT1<CR>", "ATDT1<CR>" + noCarrier}}},
        {"busy for the first two dials only",
         [](SimOptions& o) {
             busy(o);
             o.faultyDials = 2;
         },
         {{0, "ATDT1<CR>", "ATDT1<CR><CR><LF>BUSY<CR><LF>"},
          {0, "ATDT1<CR>", "ATDT1<CR><CR><LF>BUSY<CR><LF>"},
          {0, "ATDT1<CR>", "ATDT1<CR>" + connect}}},
        {"a silent modem says nothing at all",
         [](SimOptions& o) { o.silentModem = true; },
         {{0, "ATZ<CR>", ""}, {0, "ATDT1<CR>", ""}}},
    });
}

TEST(HayesModem, OverLongCommandLineIsAnErrorAndBounded) {
    ModemScript script;
    const std::string out = script.at(0, "AT" + std::string(10000, 'L') + "<CR>");
    EXPECT_EQ(out.substr(out.size() - error.size()), error);
    EXPECT_EQ(script.at(0, "ATE0<CR>"), "ATE0<CR>" + ok) << "the next line starts afresh";
}

TEST(HayesModem, EscapeNeedsGuardTimeOnBothSidesAndKeepsTheCall) {
    ModemScript script;
    script.run({{0, "ATDT1<CR>", "ATDT1<CR>" + connect},
                {0, "<CR>", "ID="},
                {0, "<ESC>PG1<CR>", banner + goAhead},
                {2000, "+++", ""},
                {2999, "", ""},
                {3000, "", ok},
                {3000, "ATO<CR>", "ATO<CR>" + connect},
                {3000, hiBlock, accepted},
                {5000, "+++", ""},
                {6000, "ATH<CR>", ok + "ATH<CR>" + ok},
                {6000, "ATO<CR>", "ATO<CR>" + noCarrier}});

    const std::vector<std::vector<std::pair<std::int64_t, std::string>>> tooSoon = {
        {{1000, "x"}, {1500, "+++"}}, // after data
        {{999, "+++"}},               // after the connect
        {{1000, "+++"}, {1500, "x"}}, // a byte within the guard after
        {{1000, "+++"}, {1200, "+"}}, // a fourth plus
        {{1000, "+"}, {2100, "+"}, {3200, "+"}}};
    for (const auto& sends : tooSoon) {
        ModemScript s;
        s.at(0, "ATDT1<CR>");
        for (const auto& [ms, bytes] : sends)
            EXPECT_EQ(s.at(ms, bytes), "");
        EXPECT_EQ(s.due(10000), "");
        EXPECT_EQ(s.modem.state(), HayesModem::State::Online);
    }
}

TEST(HayesModem, DelayKeepsOrderAndClosingThePortDropsWhatIsOwed) {
    ModemScript script([](SimOptions& o) { o.delayMs = 500; });
    script.run({{0, "ATZ<CR>", "ATZ<CR>"}, // the echo is at once
                {100, "A", ""},            // and never overtakes an answer
                {499, "", ""},
                {500, "", ok + "A"},
                {600, "<CR>ATE0<CR>ATDT1<CR>", "<CR>ATE0<CR>"}});
    script.modem.reset();
    EXPECT_EQ(script.modem.state(), HayesModem::State::Command);
    EXPECT_EQ(script.due(10000), "") << "not sent to the next client";
    script.run({{10000, "AT<CR>", "AT<CR>"}, {10500, "", ok}});
}

TEST(HayesModem, RandomLineNoiseNeverBreaksItNorGrowsItsOutput) {
    // Fragments of real exchanges cut at random places, mixed with garbage,
    // at random moments: the noise reaches every state.
    std::vector<std::string> fragments;
    std::string all =
        "ATZ<CR>|ATDT1<CR>|ATE0<CR>|ATE1<CR>|ATH<CR>|ATO<CR>|AT<CR>|+++|<CR>|ATS7?<CR>|"
        "<DC1><EOT><CR>|<ESC>PG1<CR>|<EOT><CR>|<STX>12<CR>ab<CR><ETX>000<CR>|" +
        hiBlock;
    for (std::size_t at = 0, bar = 0; bar != std::string::npos; at = bar + 1)
        fragments.push_back(lineBytes(all.substr(at, (bar = all.find('|', at)) - at)));
    for (int variant = 0; variant < 4; ++variant) {
        SCOPED_TRACE(variant);
        ModemScript script([variant](SimOptions& o) {
            o.delayMs = variant == 1 ? 50 : 0;
            o.rejectEvery = variant == 2 ? 3 : 0;
            o.dropAfter = variant == 3 ? 2 : -1;
            o.silentAfter = variant == 3 ? 5 : -1;
        });
        std::mt19937 random(1234 + variant);
        std::string stream;
        while (stream.size() < 200000)
            stream += random() % 8 == 0 ? std::string(1, char(random() % 256))
                                        : fragments[random() % fragments.size()];
        std::int64_t now = 0;
        for (std::size_t at = 0; at < stream.size();) {
            const std::size_t n = std::min<std::size_t>(stream.size() - at, random() % 30);
            now += random() % 3 == 0 ? 1100 + random() % 1000 : random() % 50;
            script.modem.receive(std::string_view(stream).substr(at, n), now);
            at += n;
            ASSERT_LE(script.modem.takeDue(now).bytes.size(), HayesModem::kMaxPending);
        }
        EXPECT_GT(script.modem.dials(), 100) << "the noise went on and off line";
        script.modem.reset();
        std::string answer = script.at(now + 10000, "AT<CR>");
        answer += script.due(now + 10100);
        EXPECT_EQ(answer, "AT<CR>" + ok);
    }
    ModemScript flooded;
    flooded.modem.receive(std::string(200000, 'x'), 0);
    EXPECT_LE(flooded.modem.takeDue(0).bytes.size(), HayesModem::kMaxPending);
}
