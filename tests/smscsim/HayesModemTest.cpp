#include "ModemScript.h"

#include <gtest/gtest.h>

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
        ModemScript script(e.configure);
        script.run(e.steps);
    }
}
} // namespace

TEST(HayesModem, CommandStateAnswersAsARealModem) {
    runAll({
        {"reset with echo", {}, {{0, "ATZ<CR>", "ATZ<CR>" + ok}}},
        {"lower case", {}, {{0, "atz<CR>", "atz<CR>" + ok}}},
        {"bare AT", {}, {{0, "AT<CR>", "AT<CR>" + ok}}},
        {"echo off, then on",
         {},
         {{0, "ATE0<CR>", "ATE0<CR>" + ok},
          {0, "AT<CR>", ok},
          {0, "ATE1<CR>", ok},
          {0, "AT<CR>", "AT<CR>" + ok}}},
        {"ATZ restores the echo",
         {},
         {{0, "ATE0<CR>", "ATE0<CR>" + ok}, {0, "ATZ<CR>", ok}, {0, "AT<CR>", "AT<CR>" + ok}}},
        {"command split across reads",
         {},
         {{0, "A", "A"}, {0, "T", "T"}, {0, "Z", "Z"}, {0, "<CR>", "<CR>" + ok}}},
        {"line noise before AT", {}, {{0, "x<SOH>+ATZ<CR>", "x<SOH>+ATZ<CR>" + ok}}},
        {"a line without AT is only echoed",
         {},
         {{0, "hello<CR>", "hello<CR>"}, {0, "<CR>", "<CR>"}}},
        {"LF after CR is ignored", {}, {{0, "AT<CR><LF>", "AT<CR>" + ok + "<LF>"}}},
        {"backspace edits the line", {}, {{0, "ATJ<BS>Z<CR>", "ATJ<BS>Z<CR>" + ok}}},
        {"unknown command", {}, {{0, "ATJ<CR>", "ATJ<CR>" + error}}},
        {"numeric results are not offered", {}, {{0, "ATV0<CR>", "ATV0<CR>" + error}}},
        {"several commands on one line, one result",
         {},
         {{0, "ATE0 L1 M0 X4 Q0 V1 &C1 &D2 H0<CR>", "ATE0 L1 M0 X4 Q0 V1 &C1 &D2 H0<CR>" + ok}}},
        {"identity", {}, {{0, "ATI<CR>", "ATI<CR><CR><LF>smscsim<CR><LF>" + ok}}},
        {"S registers",
         {},
         {{0, "ATS7=50<CR>", "ATS7=50<CR>" + ok},
          {0, "ATS7?<CR>", "ATS7?<CR><CR><LF>050<CR><LF>" + ok},
          {0, "ATS300=1<CR>", "ATS300=1<CR>" + error},
          {0, "ATS7=256<CR>", "ATS7=256<CR>" + error}}},
        {"hang-up while on hook", {}, {{0, "ATH<CR>", "ATH<CR>" + ok}}},
        {"ATO without a call", {}, {{0, "ATO<CR>", "ATO<CR>" + noCarrier}}},
    });
}

TEST(HayesModem, OverLongCommandLineIsAnErrorAndBounded) {
    ModemScript script;
    std::string longLine = "AT" + std::string(10000, 'L') + "<CR>";
    std::string out = script.at(0, longLine);
    EXPECT_EQ(out.substr(out.size() - error.size()), error);
    EXPECT_EQ(script.at(0, "ATE0<CR>"), "ATE0<CR>" + ok) << "the next line starts afresh";
}

TEST(HayesModem, DialsConnectWhateverTheNumber) {
    runAll({
        {"tone", {}, {{0, "ATDT0123456<CR>", "ATDT0123456<CR>" + connect}}},
        {"pulse", {}, {{0, "ATDP0123456<CR>", "ATDP0123456<CR>" + connect}}},
        {"prefix, comma and plus", {}, {{0, "ATDT9,+44 7700<CR>", "ATDT9,+44 7700<CR>" + connect}}},
        {"nothing to dial", {}, {{0, "ATD<CR>", "ATD<CR>" + connect}}},
        {"online, commands go down the line",
         {},
         {{0, "ATDT1<CR>", "ATDT1<CR>" + connect}, {0, "ATZ<CR>", "ID="}}},
    });
}

TEST(HayesModem, DialFaults) {
    runAll({
        {"no dial tone",
         [](SimOptions& o) { o.dialFault = SimOptions::DialFault::NoDialtone; },
         {{0, "ATDT1<CR>", "ATDT1<CR><CR><LF>NO DIALTONE<CR><LF>"},
          {0, "ATDT1<CR>", "ATDT1<CR><CR><LF>NO DIALTONE<CR><LF>"}}},
        {"busy",
         [](SimOptions& o) { o.dialFault = SimOptions::DialFault::Busy; },
         {{0, "ATDT1<CR>", "ATDT1<CR><CR><LF>BUSY<CR><LF>"}, {0, "AT<CR>", "AT<CR>" + ok}}},
        {"no carrier",
         [](SimOptions& o) { o.dialFault = SimOptions::DialFault::NoCarrier; },
         {{0, "ATDT1<CR>", "ATDT1<CR>" + noCarrier}}},
        {"only the first two dials are faulty",
         [](SimOptions& o) {
             o.dialFault = SimOptions::DialFault::Busy;
             o.faultyDials = 2;
         },
         {{0, "ATDT1<CR>", "ATDT1<CR><CR><LF>BUSY<CR><LF>"},
          {0, "ATDT1<CR>", "ATDT1<CR><CR><LF>BUSY<CR><LF>"},
          {0, "ATDT1<CR>", "ATDT1<CR>" + connect}}},
        {"a silent modem says nothing at all",
         [](SimOptions& o) { o.silentModem = true; },
         {{0, "ATZ<CR>", ""}, {0, "ATDT1<CR>", ""}, {5000, "AT<CR>", ""}}},
    });
}

TEST(HayesModem, EscapeNeedsGuardTimeOnBothSides) {
    ModemScript script;
    script.run({{0, "ATDT1<CR>", "ATDT1<CR>" + connect}, {1000, "+++", ""}, {1999, "", ""}});
    EXPECT_EQ(script.modem.state(), HayesModem::State::Online);
    EXPECT_EQ(script.modem.nextDeadlineMs(), 2000);
    EXPECT_EQ(script.due(2000), ok);
    EXPECT_EQ(script.modem.state(), HayesModem::State::OnlineCommand);
    script.run({{2100, "ATH<CR>", "ATH<CR>" + ok}});
    EXPECT_EQ(script.modem.state(), HayesModem::State::Command);
    script.run({{2200, "ATO<CR>", "ATO<CR>" + noCarrier}});
}

TEST(HayesModem, PlusesWithoutTheGuardTimeStayData) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::int64_t, std::string>> sends;
    };
    const std::vector<Case> cases = {
        {"too soon after data", {{1000, "x"}, {1500, "+++"}}},
        {"too soon after connect", {{999, "+++"}}},
        {"a byte within the guard after", {{1000, "+++"}, {1500, "x"}}},
        {"a fourth plus", {{1000, "+++"}, {1200, "+"}}},
        {"pluses too far apart", {{1000, "+"}, {2100, "+"}, {3200, "+"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModemScript script;
        script.at(0, "ATDT1<CR>");
        for (const auto& [ms, bytes] : c.sends)
            EXPECT_EQ(script.at(ms, bytes), "");
        EXPECT_EQ(script.due(10000), "");
        EXPECT_EQ(script.modem.state(), HayesModem::State::Online);
    }
}

TEST(HayesModem, BackOnlineAfterEscapeKeepsTheLogOn) {
    ModemScript script;
    script.run({{0, "ATDT1<CR>", "ATDT1<CR>" + connect},
                {0, "<CR>", "ID="},
                {0, "<ESC>PG1<CR>", banner + goAhead},
                {2000, "+++", ""},
                {3000, "", ok},
                {3000, "ATO<CR>", "ATO<CR>" + connect},
                {3000, hiBlock, accepted}});
}

TEST(HayesModem, ClosingThePortHangsUpAndResets) {
    ModemScript script([](SimOptions& o) { o.delayMs = 100; });
    script.at(0, "ATE0<CR>");
    script.due(100);
    script.at(200, "ATDT1<CR>");
    script.modem.reset();
    EXPECT_EQ(script.modem.state(), HayesModem::State::Command);
    EXPECT_TRUE(script.modem.echo());
    EXPECT_EQ(script.due(10000), "") << "an answer still waiting is not sent to the next client";
    EXPECT_FALSE(script.modem.nextDeadlineMs());
    script.run({{10000, "AT<CR>", "AT<CR>"}, {10100, "", ok}});
}

TEST(HayesModem, DelayHoldsAnswersButKeepsTheirOrder) {
    ModemScript script([](SimOptions& o) { o.delayMs = 500; });
    EXPECT_EQ(script.at(0, "ATZ<CR>"), "ATZ<CR>") << "the echo is at once";
    EXPECT_EQ(script.modem.nextDeadlineMs(), 500);
    EXPECT_EQ(script.at(100, "A"), "") << "an echo never overtakes an answer";
    EXPECT_EQ(script.due(499), "");
    EXPECT_EQ(script.due(500), ok + "A");
}

TEST(HayesModem, OutputIsBoundedWhenTheClientNeverReads) {
    ModemScript script;
    std::string flood(200000, 'x');
    script.modem.receive(flood, 0);
    Emission out = script.modem.takeDue(0);
    EXPECT_LE(out.bytes.size(), HayesModem::kMaxPending);
    EXPECT_EQ(script.at(1, "<CR>AT<CR>"), "<CR>AT<CR>" + ok) << "and the modem still works";
}

TEST(HayesModem, RandomLineNoiseNeverBreaksIt) {
    // Fragments of real exchanges, cut at random places and mixed with
    // garbage, at random moments: the noise reaches every state.
    const std::vector<std::string> fragments = {"ATZ\r",
                                                "ATDT1\r",
                                                "ATE0\r",
                                                "ATE1\r",
                                                "ATH\r",
                                                "ATO\r",
                                                "AT\r",
                                                "+++",
                                                "\r",
                                                "\x11\x04\r",
                                                "\x1bPG1\r",
                                                "\x04\r",
                                                lineBytes(hiBlock),
                                                lineBytes(block("1", "x")),
                                                "\x02"
                                                "12\rab\r\x03"
                                                "000\r",
                                                "\x02"
                                                "12\r",
                                                "ATS7?\r",
                                                "ATI\r"};
    for (int variant = 0; variant < 4; ++variant) {
        SCOPED_TRACE("variant " + std::to_string(variant));
        ModemScript script([variant](SimOptions& o) {
            o.delayMs = variant == 1 ? 50 : 0;
            o.rejectEvery = variant == 2 ? 3 : 0;
            o.dropAfter = variant == 3 ? 2 : -1;
            o.silentAfter = variant == 3 ? 5 : -1;
        });
        std::mt19937 random(1234 + variant);
        std::string stream;
        for (int i = 0; i < 40000; ++i) {
            if (random() % 8 == 0) {
                stream += char(random() % 256);
            } else {
                stream += fragments[random() % fragments.size()];
            }
        }
        std::int64_t now = 0;
        std::size_t accepted = 0;
        for (std::size_t at = 0; at < stream.size();) {
            std::size_t n = std::min<std::size_t>(stream.size() - at, random() % 30);
            now += random() % 3 == 0 ? 1100 + random() % 1000 : random() % 50;
            script.modem.receive(std::string_view(stream).substr(at, n), now);
            at += n;
            Emission out = script.modem.takeDue(now);
            ASSERT_LE(out.bytes.size(), HayesModem::kMaxPending);
            for (const auto& m : out.accepted)
                ASSERT_FALSE(m.number.empty());
            accepted += out.accepted.size();
        }
        EXPECT_GT(script.modem.dials(), 100) << "the noise went on and off line";
        if (variant != 3) {
            EXPECT_GT(accepted, 10u) << "and got blocks through";
        }
        script.modem.reset();
        std::string answer = script.at(now + 10000, "AT<CR>");
        answer += script.due(now + 10100);
        EXPECT_EQ(answer, "AT<CR>" + ok);
    }
}
