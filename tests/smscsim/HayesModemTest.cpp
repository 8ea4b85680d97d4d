#include "SimScript.h"

#include <random>

TEST(HayesModem, AnswersAsARealModem) {
    const std::string overLong = "AT" + std::string(HayesModem::kMaxCommandLine, 'L');
    const std::pair<const char*, std::string> cases[] = {
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
        {"--busy --faulty-dials 1",
         "ATDT1<CR> => ATDT1<CR><CR><LF>BUSY<CR><LF> | ATDT1<CR> => ATDT1<CR>{connect}"},
        {"--silent-modem", "ATZ<CR> => | ATDT1<CR> =>"},
        // Pluses without a second's silence around them stay data.
        {"", "ATDT1<CR> => ATDT1<CR>{connect} | @1000 x => | @1500 +++ => | @9000 <CR> => ID="},
        {"", "ATDT1<CR> => ATDT1<CR>{connect} | @999 +++ => | @9000 <CR> => ID="},
        {"", "ATDT1<CR> => ATDT1<CR>{connect} | @1000 +++ => | @1500 x => | @9000 <CR> => ID="},
        {"", "ATDT1<CR> => ATDT1<CR>{connect} | @1000 +++ => | @1200 + => | @9000 <CR> => ID="},
        {"", "ATDT1<CR> => ATDT1<CR>{connect} | @1000 + => | @2100 + => | @3200 + => | "
             "@9000 <CR> => ID="},
        // The escape: a second's silence around "+++", and the call is kept.
        {"", "ATDT1<CR> => ATDT1<CR>{connect} | <CR> => ID= | <ESC>PG1<CR> => {banner} | "
             "@2000 +++ => | @2999 => | @3000 => {ok} | ATO<CR> => ATO<CR>{connect} | "
             "{hi} => {accepted} | @5000 +++ => | @6000 ATH<CR> => {ok}ATH<CR>{ok} | "
             "ATO<CR> => ATO<CR>{noCarrier}"},
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
    };
    for (const auto& [options, steps] : cases) {
        SCOPED_TRACE(std::string(options) + " " + steps);
        ModemScript(options).play(steps);
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
