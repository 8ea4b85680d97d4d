#include "nom/TapSession.h"
#include "BrindleSimTest.h"
#include "nom/BrindleConfig.h"
#include "nom/Modem.h"
#include "nom/StatusLog.h"
#include "nom/TapText.h"
#include "support/LineBytes.h"

namespace {

// A session on a scripted line, started on a whole second; ECHO in the
// script stands for the block.
struct Session {
    FakeClock clock;
    FakeSerialLine line;
    StatusLog status;
    BrindleConfig config;
    Modem modem{line, status, config};
    TapSession tap{modem, status};
    QByteArray block;
    qint64 t0 = clock.monotonicMs();

    Session(const QString& script, const QString& text = "Hi", const char* waiting = "")
        : block(TapText::MakeTAPString("447700900123", text)) {
        line.open("/dev/fake", {});
        line.push(bytes(waiting));
        line.script(script, block);
    }
    // The writes (the block as "block") and the time taken.
    QString writes() const {
        QStringList w;
        for (const QByteArray& b : line.writes())
            w << (b == block ? QString("block") : readable(b));
        return QString("[%1] %2ms").arg(w.join(' ')).arg(clock.monotonicMs() - t0);
    }
    QString statuses() const {
        return status.paneText().split("\r\n", Qt::SkipEmptyParts).join('|');
    }
};

} // namespace

TEST(TapSession, LogOnWaitsForThePromptAndTheGoAhead) {
    const std::pair<const char*, const char*> cases[] = {
        // Split reads, garbage.
        {"<CR>~<xFF>I@300 | ~D=@500 | PG1~110 1.8<CR><ESC>[ | ~p<CR>@1500",
         "None [<DC1><EOT><CR> <CR> <ESC>PG1<CR>] 3000ms"},
        {"", "NoPrompt [<DC1><EOT><CR> <CR> <CR> <CR> <CR>] 21000ms"},
        {"<DC1>~ | <CR>~ | <CR>~ | <CR>~ID= | PG1~hi<CR><ESC>[p<CR>",
         "None [<DC1><EOT><CR> <CR> <CR> <CR> <ESC>PG1<CR>] 11000ms"},
        {"<CR>~ID= | PG1~110 1.8<CR> | <EOT>~<ESC><EOT><CR>",
         "NoGoAhead [<DC1><EOT><CR> <CR> <ESC>PG1<CR> <EOT><CR>] 31000ms"},
        // A call that ends ends the log-on at once, and nothing more is sent.
        {"<DC1>~ | <CR>~<CR><LF>NO CARRIER<CR><LF>", "NoPrompt [<DC1><EOT><CR> <CR>] 1000ms"},
        {"<CR>~ID= | PG1~110 1.8<CR><LF>NO CARRIER",
         "NoGoAhead [<DC1><EOT><CR> <CR> <ESC>PG1<CR>] 1000ms"},
    };
    for (const auto& [script, expected] : cases) {
        SCOPED_TRACE(script);
        Session s(script);
        const Failure f = s.tap.TAPLogin();
        EXPECT_EQ(kindName(f) + ' ' + s.writes(), expected);
        EXPECT_EQ(s.statuses(), "Logging In");
    }
}

// Every answer to a block. A message counts as sent only once the SMSC said
// so: a call that ends first, or the echo of the block by a modem back in
// command state, is no answer.
TEST(TapSession, AnswersToABlock) {
    struct Case {
        const char* script;
        const char* expected;
        const char* text = "Hi";
        const char* waiting = ""; // in from before the block
    };
    const Case cases[] = {
        {"<ETX>~Message sent successful<CR><ACK><CR>@700",
         "accepted None 'Message sent successful' [block] 1000ms"},
        {"<ETX>~<NUL><SOH>succ@100 | ~essful<CR>@200 | ~<ACK><CR>@300",
         "accepted None 'successful' [block] 1000ms"},
        {"<ETX>~211 <ACK><CR>", "accepted None '211' [block] 0ms"},
        {"<ETX>~Message sent Successfully<CR><ACK><CR>",
         "accepted None 'Message sent Successfully' [block] 0ms"},
        {"<ETX>~Message sent successful",
         "accepted NotReady 'Message sent successful' [block <EOT><CR>] 36000ms"},
        {"<ETX>~successful<CR>", "accepted NotReady 'successful' [block <EOT><CR>] 16000ms"},
        {"<ETX>~211 <ACK>", "accepted NotReady '211' [block <EOT><CR>] 15000ms"},
        {"<ETX>~Message send failed<CR>", "unsent Rejected '' [block] 0ms"},
        {"<ETX>~213 <RS><CR>", "unsent Rejected '' [block] 0ms"},
        {"<ETX>~successful Message send failed<CR><CR>", "unsent Rejected '' [block] 0ms"},
        {"<ETX>~<RS> successful<CR><CR>", "unsent Rejected '' [block] 0ms"},
        {"<EOT>~<ESC><EOT><CR>@2000", "unsent AnswerTimedOut '' [block <EOT><CR>] 62000ms"},
        {"<ETX>~<NAK><CR> | <ETX>~<NAK><CR> | <ETX>~successful<CR><ACK><CR>",
         "accepted None 'successful' [block block block] 1000ms"},
        {"<ETX>~<NAK><CR>@100 | <ETX>~<NAK><CR>@100 | <ETX>~<NAK><CR>@100 | <ETX>~<NAK><CR>@100",
         "unsent AnswerTimedOut '' [block block block block <EOT><CR>] 10000ms"},
        {"<ETX>~<CR><LF>NO CARRIER<CR><LF>", "unsent LineLost '' [block] 0ms"},
        {"", "unsent LineLost '' [] 0ms", "Hi", "<ACK><CR><CR><LF>NO CARRIER<CR><LF>"},
        {"<ETX>~ECHO<CR><LF>NO CARRIER<CR><LF>", "unsent LineLost '' [block] 0ms",
         "it was successful"},
        {"<ETX>~ECHO", "unsent AnswerTimedOut '' [block <EOT><CR>] 70000ms", "it was successful"},
        {"<ETX>~ECHO", "unsent AnswerTimedOut '' [block <EOT><CR>] 70000ms",
         "Message send failed twice"},
        {"<ETX>~211 successful<CR><LF>NO CARRIER<CR><LF>",
         "accepted NotReady '211 successful' [block] 1000ms"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.script) + " " + c.text);
        Session s(c.script, c.text, c.waiting);
        const TapSession::Result r = s.tap.SendMessage("+44 7700 900123", c.text);
        EXPECT_EQ(
            QString("%1 %2 '%3' %4")
                .arg(r.accepted ? "accepted" : "unsent", kindName(r.failure), r.answer, s.writes()),
            c.expected);
        EXPECT_EQ(s.statuses(), c.text + QString(r.accepted ? "|Message Accepted" : ""));
    }
}

// A call the centre has dropped waits neither for a prompt nor for the
// escape's guard times; a call still up is escaped and hung up.
TEST(TapSession, LogOffEndsTheExchangeAndDropsTheLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"<EOT>~<ESC><EOT><CR><CR><LF>NO CARRIER<CR><LF> | AT<CR>~<CR><LF>OK<CR><LF>",
         "[<EOT><CR> <CR> AT<CR>] 0ms"},
        {"<EOT>~<ESC><EOT><CR><CR><LF>NO CARRIER<CR><LF>", "[<EOT><CR> <CR> AT<CR>] 1000ms"},
        {"+++~<CR><LF>OK<CR><LF>@1000 | ATH<CR>~<CR><LF>OK<CR><LF>",
         "[<EOT><CR> <CR> AT<CR> +++ ATH<CR>] 9000ms"},
    };
    for (const auto& [script, expected] : cases) {
        Session s(script);
        s.tap.TAPLogout();
        EXPECT_EQ(s.writes(), expected);
        EXPECT_EQ(s.statuses(), "Logging Out|Logged Out");
    }
}
