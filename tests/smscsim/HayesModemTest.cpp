#include "SimScript.h"

#include <random>

namespace {
// Dialled and logged on.
const std::string kOn = "ATDT0123<CR> => ATDT0123<CR>{connect} | <DC1><EOT><CR> => ID= | "
                        "<ESC>PG1<CR> => {banner} | ";
const std::string kOff = "<EOT><CR> => <ESC><EOT><CR>{noCarrier}";

// What the centre took: "number|text" each.
std::string taken(const ModemScript& script) {
    std::string out;
    for (const auto& m : script.accepted)
        out += m.number + "|" + m.text + " ";
    return out;
}
} // namespace

// The modem's commands, then the message centre's log-on, blocks and answers
// on line; the faults a Brindle run meets (a silent modem or centre, a busy
// line, no prompt, no go-ahead, an unterminated answer, a dropped call) are
// rows of BrindleRuns.
TEST(HayesModem, AnswersAsARealModemAndMessageCentre) {
    const std::string overLong = "AT" + std::string(HayesModem::kMaxCommandLine, 'L');
    const std::string one = block("1", "Hi"), two = block("2", "Hi"), three = block("3", "Hi");
    const struct {
        const char* options;
        std::string steps;
        const char* taken = ""; // what the centre took
    } cases[] = {
        {"", "ATZ<CR> => ATZ<CR>{ok} | atz<CR> => atz<CR>{ok}"},
        // Echo off, then on again by ATZ.
        {"", "ATE0<CR> => ATE0<CR>{ok} | AT<CR> => {ok} | ATZ<CR> => {ok} | AT<CR> => AT<CR>{ok}"},
        {"", "A => A | TZ => TZ | <CR> => <CR>{ok}"},                   // split across reads
        {"", "x<SOH>+ATJ<BS>Z<CR><LF> => x<SOH>+ATJ<BS>Z<CR>{ok}<LF>"}, // noise, backspace, LF
        {"", "hello<CR> => hello<CR>"}, // a line without AT is only echoed
        // An over-long line is an error, and the next starts afresh.
        {"", overLong + "<CR> => " + overLong + "<CR>{error} | ATE0<CR> => ATE0<CR>{ok}"},
        {"", "ATJ<CR> => ATJ<CR>{error} | ATV0<CR> => ATV0<CR>{error}"},
        {"", "ATE0 L1 M0 X4 Q0 V1 &C1 &D2 H0<CR> => ATE0 L1 M0 X4 Q0 V1 &C1 &D2 H0<CR>{ok}"},
        {"", "ATI<CR> => ATI<CR><CR><LF>smscsim<CR><LF>{ok} | ATS7=50<CR> => ATS7=50<CR>{ok} | "
             "ATS7?<CR> => ATS7?<CR><CR><LF>050<CR><LF>{ok} | ATS300=1<CR> => ATS300=1<CR>{error}"},
        {"", "ATH<CR> => ATH<CR>{ok} | ATO<CR> => ATO<CR>{noCarrier}"}, // on hook
        // Any number connects; on line, commands go down the line.
        {"", "ATDT9,+44 7700<CR> => ATDT9,+44 7700<CR>{connect} | ATZ<CR> => ID="},
        {"--garbage", "ATZ<CR> => ATZ<CR><xFF><NUL>#~<DEL>{ok}"}, // not before echoes
        {"--no-dialtone", "ATDT1<CR> => ATDT1<CR><CR><LF>NO DIALTONE<CR><LF>"},
        {"--no-carrier", "ATDT1<CR> => ATDT1<CR>{noCarrier}"},
        // Pluses without a second's silence around them stay data.
        {"", "ATDT1<CR> => ATDT1<CR>{connect} | @999 +++ => | @9000 <CR> => ID="},
        {"", "ATDT1<CR> => ATDT1<CR>{connect} | @1000 +++ => | @1500 x => | @9000 <CR> => ID="},
        {"", "ATDT1<CR> => ATDT1<CR>{connect} | @1000 +++ => | @1200 + => | @9000 <CR> => ID="},
        {"", "ATDT1<CR> => ATDT1<CR>{connect} | @1000 + => | @2100 + => | @3200 + => | "
             "@9000 <CR> => ID="},
        // The escape: a second's silence around "+++", and the call is kept.
        {"",
         "ATDT1<CR> => ATDT1<CR>{connect} | <CR> => ID= | <ESC>PG1<CR> => {banner} | "
         "@2000 +++ => | @2999 => | @3000 => {ok} | ATO<CR> => ATO<CR>{connect} | "
         "{hi} => {accepted} | @5000 +++ => | @6000 ATH<CR> => {ok}ATH<CR>{ok} | "
         "ATO<CR> => ATO<CR>{noCarrier}",
         "447700900123|Hi "},
        // Answers wait for the delay but keep their order; an echo never
        // overtakes one. Closing the port hangs up, drops what is owed and
        // turns the echo on again.
        {"--delay 500", "ATZ<CR> => ATZ<CR> | @100 A => | @499 => | @500 => {ok}A"},
        {"--delay 500", "ATE0<CR>ATDT1<CR> => ATE0<CR> | close => | @10000 AT<CR> => AT<CR> | "
                        "@10500 => {ok}"},
        // A dial connects after its delay; a byte sent meanwhile ends it.
        {"--connect-delay 2",
         "ATDT1<CR> => ATDT1<CR> | @1999 => | @2000 => {connect} | <CR> => ID="},
        {"--connect-delay 2", "ATDT1<CR> => ATDT1<CR> | @500 <CR> => {noCarrier} | "
                              "@3000 AT<CR> => AT<CR>{ok}"},
        // A prompt for every CR; a password is ignored; split reads.
        {"",
         "ATDT1<CR> => ATDT1<CR>{connect} | <CR> => ID= | <CR> => ID= | <ESC>P => | "
         "G1secret<CR> => {banner}",
         ""},
        {"", "ATDT1<CR> => ATDT1<CR>{connect} | <ESC>PG3<CR> => {nak} | <EOT><CR> => ID=", ""},
        {"", kOn + "{hi}{hi} => {accepted}{accepted}", "447700900123|Hi 447700900123|Hi "},
        {"",
         kOn + block("4420", "  a\tb <x80><xA3>+ ") + " => {accepted} | " + block("4421", "") +
             " => {accepted}",
         "4420|  a\tb \x80\xA3+  4421| "},
        // Bad checksum, no CR after it, a new STX, noise between blocks.
        {"",
         kOn + "<STX>447700900123<CR>Hi<CR><ETX>336<CR> => {nak} | "
               "<STX>447700900123<CR>Hi<CR><ETX>335x => {nak} | <STX>4477<CR>Hel => | "
               "{hi} => {accepted} | AT<CR>+++<CR><LF>junk<CR> => | {hi} => {accepted}",
         "447700900123|Hi 447700900123|Hi "},
        {"",
         kOn + block("4477", "Hi<CR>x") + " => {rejected} | " + block("", "Hi") +
             " => {rejected} | " + block("+4477", "Hi") + " => {rejected} | " +
             block("4420", std::string(2000, 'x')) + " => {rejected}",
         ""},
        // The rejections are counted across calls.
        {"--reject-every 2",
         kOn + one + " => {accepted} | <STX>2<CR>Hi<CR><ETX>000<CR> => {nak} | " + two +
             " => {rejected} | " + three + " => {accepted} | " + kOff + " | " + kOn + one +
             " => {rejected}",
         "1|Hi 3|Hi "},
        {"--terse", kOn + "{hi} => 211<CR><ACK><CR>", "447700900123|Hi "},
        {"--capital-s", kOn + "{hi} => 211 Message Sent Successfully<CR><ACK><CR>",
         "447700900123|Hi "},
        // A hang-up mid-block loses nothing later; an acceptance counts once
        // it is sent, and one still owed at a hang-up never.
        {"--delay 300",
         "ATDT1<CR> => ATDT1<CR> | @300 <CR> => {connect} | @600 => ID= | <ESC>PG1<CR> => | "
         "@900 <STX>447700900123<CR>H => {banner} | close => | @1000 ATDT1<CR> => ATDT1<CR> | "
         "@1300 <CR> => {connect} | @1600 <ESC>PG1<CR> => ID= | @1900 {hi} => {banner} | "
         "@2200 {hi} => {accepted} | close =>",
         "447700900123|Hi "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.options) + " " + c.steps);
        ModemScript script(c.options);
        script.play(c.steps);
        EXPECT_EQ(taken(script), c.taken);
    }
}

TEST(HayesModem, RandomLineNoiseNeverBreaksItNorGrowsItsOutput) {
    // Fragments of real exchanges cut at random places, mixed with garbage,
    // at random moments: the noise reaches every state.
    std::vector<std::string> fragments;
    std::istringstream all("ATZ<CR> ATDT1<CR> ATE0<CR> ATE1<CR> ATH<CR> ATO<CR> AT<CR> +++ <CR> "
                           "ATS7?<CR> <DC1><EOT><CR> <ESC>PG1<CR> <EOT><CR> "
                           "<STX>12<CR>ab<CR><ETX>000<CR> {hi}");
    for (std::string f; all >> f;)
        fragments.push_back(lineBytes(ModemScript::expand(f)));
    for (const char* options : {"", "--delay 50", "--reject-every 3",
                                "--drop-after 2 --silent-after 5", "--connect-delay 1"}) {
        SCOPED_TRACE(options);
        ModemScript script(options);
        std::mt19937 random(1234);
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
        EXPECT_EQ(answer, ModemScript::expand("AT<CR>{ok}"));
    }
    ModemScript flooded;
    flooded.modem.receive(std::string(200000, 'x'), 0);
    EXPECT_LE(flooded.modem.takeDue(0).bytes.size(), HayesModem::kMaxPending);
}
