#include "SimScript.h"

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

// The faults a Brindle run meets (no prompt, no go-ahead, silence, an
// unterminated answer, a dropped call) are rows of BrindleRuns.
TEST(TapSmsc, LogOnBlocksAndAnswers) {
    const std::string one = block("1", "Hi"), two = block("2", "Hi"), three = block("3", "Hi");
    const std::tuple<const char*, std::string, const char*> cases[] = {
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
        // Log-off ends the call; the next call starts at the prompt.
        {"",
         kOn + kOff +
             " | AT<CR> => AT<CR>{ok} | ATDT1<CR> => ATDT1<CR>{connect} | "
             "{hi} => ID=ID=ID=",
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
    };
    for (const auto& [options, steps, expected] : cases) {
        SCOPED_TRACE(std::string(options) + " " + steps);
        ModemScript script(options);
        script.play(steps);
        EXPECT_EQ(taken(script), expected);
    }
}

TEST(TapSmsc, AHangUpMidBlockLosesNothingLaterAndADelayedAcceptanceCountsWhenSent) {
    ModemScript script("--delay 300");
    script.play("ATDT1<CR> => ATDT1<CR> | @300 <CR> => {connect} | @600 => ID= | "
                "<ESC>PG1<CR> => | @900 <STX>447700900123<CR>H => {banner}");
    script.modem.reset();
    script.play("@1000 ATDT1<CR> => ATDT1<CR> | @1300 <CR> => {connect} | "
                "@1600 <ESC>PG1<CR> => ID= | @1900 {hi} => {banner} | @2199 =>");
    EXPECT_TRUE(script.accepted.empty());
    script.play("@2200 => {accepted}");
    EXPECT_EQ(taken(script), "447700900123|Hi ");
}
