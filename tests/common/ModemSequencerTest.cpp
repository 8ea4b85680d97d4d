#include "common/ModemSequencer.h"
#include "support/FakeClock.h"
#include "support/FakeSerialLine.h"
#include "support/LineBytes.h"

#include <gtest/gtest.h>

using Sequencer = ModemSequencer;

namespace {

// Options by letter: e skips the echo, c ends on the call's end, s wants
// single characters on their own line, 0 takes an empty answer at once,
// w waits before it looks, r reads right after the command.
Sequencer::Options options(const char* letters) {
    const QByteArray l(letters);
    Sequencer::Options o;
    o.skipEcho = l.contains('e');
    o.onCall = l.contains('c');
    o.singlesOnOwnLine = l.contains('s');
    o.emptyAnswerAtOnce = l.contains('0');
    o.pace = l.contains('w') ? Sequencer::Pace::WaitThenLook : Sequencer::Pace::LookThenWait;
    o.afterCommand =
        l.contains('r') ? Sequencer::AfterCommand::Read : Sequencer::AfterCommand::Wait;
    return o;
}

const char* name(Sequencer::Outcome o) {
    static const char* names[] = {"Answered", "TimedOut", "LineLost", "Stopped"};
    return names[int(o)];
}

} // namespace

// Each case: in the buffer from before, the script, the command, its
// time-out, the answers; what the step ended with, what stood before the
// answer, what the buffer keeps, how long it took. Every step starts late in
// a second: a wait of n seconds lasts less, never under n - 1.
TEST(ModemSequencer, StepsEndByAnswerTimeOutOrLostLine) {
    struct Case {
        const char *options, *waiting, *script, *command;
        int timeout;
        QList<QByteArray> answers;
        const char* expected;
    };
    const Case cases[] = {
        // Precedence is the list's, not arrival's; what follows stays.
        {"",
         "",
         "AT~<CR><LF>BUSY<CR><LF>CONNECT 9600<CR><LF>@300",
         "ATD1<CR>",
         60,
         {"CONNECT", "BUSY"},
         "Answered 0 '<CR><LF>BUSY<CR><LF>' ' 9600<CR><LF>' 300ms"},
        {"", "", "~CONN@400 | ~ECT<CR>@1500", "", 5, {"CONNECT"}, "Answered 0 '' '<CR>' 1500ms"},
        {"", "", "", "", 5, {"OK"}, "TimedOut -1 '' '' 4700ms"},
        {"", "", "", "", 0, {"OK"}, "TimedOut -1 '' '' 0ms"},
        // No answers: silence to the end; an empty one at once when asked.
        {"", "x", "", "", 2, {""}, "TimedOut -1 '' 'x' 1700ms"},
        {"0", "x", "", "AT<CR>", 2, {""}, "Answered -1 '' 'x' 0ms"},
        {"0c", "NO CARRIER", "", "", 2, {""}, "LineLost -1 '' 'NO CARRIER' 0ms"},
        // An echo holding the answer is no answer, and goes at the time-out.
        {"e", "", "AT~AT+OK=1<CR>@100", "AT+OK=1<CR>", 2, {"OK"}, "TimedOut -1 '' '' 1700ms"},
        {"", "", "AT~AT+OK=1<CR>@100", "AT+OK=1<CR>", 2, {"OK"}, "Answered 0 'AT+' '=1<CR>' 100ms"},
        {"e",
         "",
         "AT~AT+X<CR><CR><LF>OK@100",
         "AT+X<CR>",
         2,
         {"OK"},
         "Answered 0 '<CR><LF>' '' 100ms"},
        // A single character amid noise decides nothing; on a line of its own it does.
        {"s",
         "",
         "~<x8F><ACK><xA3>@100 | ~<CR><ACK><CR>@1200",
         "",
         5,
         {"\x06"},
         "Answered 0 '<x8F><ACK><xA3><CR>' '<CR>' 1200ms"},
        {"",
         "",
         "~<x8F><ACK><xA3>@100 | ~<CR><ACK><CR>@1200",
         "",
         5,
         {"\x06"},
         "Answered 0 '<x8F>' '<xA3>' 100ms"},
        // The call's end ends the wait; what came after it is no answer.
        {"c",
         "",
         "~<CR><LF>NO CARRIER<CR><LF>OK@100",
         "",
         5,
         {"OK"},
         "LineLost -1 '' '<CR><LF>NO CARRIER<CR><LF>OK' 100ms"},
        {"c",
         "",
         "~OK<CR><LF>NO CARRIER@100",
         "",
         5,
         {"OK"},
         "Answered 0 '' '<CR><LF>NO CARRIER' 100ms"},
        {"c", "", "~OK@100 | ~HANGUP@100", "", 5, {"ID="}, "LineLost -1 '' 'OK' 100ms"},
        {"",
         "",
         "~<CR><LF>NO CARRIER@100",
         "",
         2,
         {"OK"},
         "TimedOut -1 '' '<CR><LF>NO CARRIER' 1700ms"},
        // What came before: looked at first, or only after a wait for input.
        {"", "OK", "", "", 5, {"OK"}, "Answered 0 '' '' 0ms"},
        {"w", "OK", "", "", 5, {"OK"}, "Answered 0 '' '' 1000ms"},
        // Read right after the command, even with no time to wait.
        {"r", "", "AT~OK@0", "AT<CR>", 0, {"OK"}, "TimedOut -1 '' 'OK' 0ms"},
        {"", "", "AT~OK@0", "AT<CR>", 0, {"OK"}, "TimedOut -1 '' '' 0ms"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.options) + " " + c.script);
        FakeClock clock;
        FakeSerialLine line;
        line.open("/dev/fake", {});
        Sequencer seq(line, "NO CARRIER");
        clock.advanceMs(300);
        line.push(c.waiting);
        seq.read();
        line.script(c.script);
        const qint64 t0 = clock.monotonicMs();
        const Sequencer::Result r =
            seq.run({bytes(c.command), c.timeout, c.answers}, options(c.options));
        EXPECT_EQ(QString("%1 %2 '%3' '%4' %5ms")
                      .arg(name(r.outcome))
                      .arg(r.index)
                      .arg(readable(r.before), readable(seq.buffer()))
                      .arg(clock.monotonicMs() - t0),
                  c.expected);
        EXPECT_EQ(line.writes(), *c.command ? QByteArrayList{bytes(c.command)} : QByteArrayList());
    }
}
