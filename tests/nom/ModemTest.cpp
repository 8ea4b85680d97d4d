#include "nom/Modem.h"
#include "BrindleSimTest.h"
#include "common/ExchangeFiles.h"
#include "nom/AliveCounter.h"
#include "nom/BrindleConfig.h"
#include "nom/StatusLog.h"
#include "nom/TapSession.h"
#include "nom/TapText.h"
#include "support/LineBytes.h"
#include "support/SimulatedModemManager.h"

using namespace TapText;

namespace {

// A modem and a TAP session on a scripted line, started on a whole second;
// ECHO in a script stands for the block of `text`.
struct Probe {
    FakeClock clock;
    FakeSerialLine line;
    StatusLog status;
    BrindleConfig config;
    Modem modem{line, status, config};
    TapSession tap{modem, status};
    QByteArray block;
    // The modem screen as the window keeps it, each state it passed, and how
    // many characters were handed to it.
    QString screen;
    QStringList screens;
    qsizetype screened = 0;
    bool keepScreens = true;
    qint64 t0 = clock.monotonicMs();

    explicit Probe(const QString& script = {}, const QString& text = "Hi", const char* waiting = "")
        : block(TapText::MakeTAPString("447700900123", text)) {
        modem.setDisplay({{}, {}, [this](const Modem::ScreenChange& c) {
                              if (c.cleared)
                                  screen.clear();
                              screen.remove(0, c.dropFront);
                              screen += c.append;
                              screened += c.append.size();
                              if (keepScreens)
                                  screens << readable(screen.toLatin1());
                          }});
        line.open("/dev/fake", {});
        line.push(bytes(waiting));
        line.script(script, block);
        config.lineSpeed = "9600";
        config.dataBits = "8";
        config.smscNumber = "01632960000";
        config.outsideLinePrefix = 9; // dialled with option 1
        config.outsideLineOption = 1;
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
    // What is left in the buffer, the writes, the statuses and the time taken.
    QString story() const {
        QString w = writes();
        const QString s = statuses();
        if (!s.isEmpty())
            w.insert(w.lastIndexOf(' ') + 1, s + ' ');
        return "'" + readable(modem.buffer()) + "' " + w;
    }
};

const char* name(Modem::WaitResult r) {
    static const char* names[] = {"Found", "TimedOut", "Rejected", "LineLost", "Cancelled"};
    return names[int(r)];
}

} // namespace

TEST(Modem, AwaitStringTakesEverythingUpToTheTextAndWaitsWholeSeconds) {
    // What arrives and when, what is sent, waited for, for how long.
    const std::tuple<const char*, const char*, const char*, int, const char*> cases[] = {
        {"~OK<CR>", "AT<CR>", "OK", 0, "TimedOut '' [AT<CR>] 0ms"}, // sent, nothing read
        {"~<xFF><NUL><CR><LF>O@300 | ~K@900 | ~<CR><LF>@1200", "ATZ<CR>", "OK<CR>", 20,
         "Found '<LF>' [ATZ<CR>] 1200ms"},
        {"~ID=garbage Message send failed<CR> more", "", "successful", 60, "Rejected '' [] 0ms"},
    };
    for (const auto& [script, send, wait, timeout, expected] : cases) {
        SCOPED_TRACE(script);
        Probe p(script);
        const Modem::WaitResult r = p.modem.AwaitString(bytes(send), bytes(wait), timeout);
        EXPECT_EQ(name(r) + (' ' + p.story()), expected);
    }
    Probe chatty("~" + QString(200000, 'x'));
    chatty.modem.AwaitString("", "never", 1);
    EXPECT_TRUE(chatty.modem.buffer() == QByteArray(64 * 1024, 'x')) << "a chatty line is bounded";
    Probe p;
    // Started late in a second, a wait of n seconds lasts less, never less than n - 1.
    p.clock.advanceMs(300);
    p.t0 = p.clock.monotonicMs();
    p.modem.AwaitString("", "never", 5);
    EXPECT_EQ(p.story(), "'' [] 4700ms");
    // A closed port is written nothing, and its wait runs out.
    p.line.close();
    p.t0 = p.clock.monotonicMs();
    p.modem.AwaitString("ATZ\r", "OK", 2);
    EXPECT_EQ(p.story(), "'' [] 2000ms");
}

TEST(Modem, LeftoversAnswerTheNextWaitAndTheScreenShowsTheBuffer) {
    Probe p("~CONNECT 9600<CR><LF>RING");
    EXPECT_EQ(p.modem.AwaitString("", "\r\n", 1), Modem::WaitResult::Found);
    EXPECT_EQ(p.modem.AwaitString("", "RING", 5), Modem::WaitResult::Found);
    // Nothing to wait for: sent, what has come is read, and no wait.
    p.line.push("\r\nOK\r\n");
    EXPECT_EQ(p.modem.AwaitMultiString("ATDT1\r", {"", ""}, 60).index, -1);
    p.line.push("Annex login: "); // a terminal server's banner blanks the screen
    p.modem.AwaitString("", "", 1);
    EXPECT_EQ(p.story(), "'<CR><LF>OK<CR><LF>Annex login: ' [ATDT1<CR>] 0ms");
    EXPECT_EQ(p.screens,
              (QStringList{"CONNECT 9600<CR><LF>RING", "RING", "<CR><LF>OK<CR><LF>", ""}));
}

// A chatty line (flow-control bytes after CONNECT, a read a byte): the
// screen gets each byte once and keeps only the buffer's end, so what the
// window does stays in proportion to what arrives.
TEST(Modem, AChattyLineReachesTheScreenOnceAByteAndBounded) {
    Probe p;
    p.keepScreens = false;
    const int count = 3 * Modem::kScreenLimit;
    for (int i = 0; i < count; ++i)
        p.line.push(QByteArray(1, i % 2 ? '\x13' : '\x11'), i);
    EXPECT_EQ(p.modem.AwaitString("", "never", count / 1000 + 2), Modem::WaitResult::TimedOut);
    EXPECT_EQ(p.modem.buffer().size(), count);
    EXPECT_EQ(p.screened, count);
    EXPECT_EQ(p.screen.toLatin1(), p.modem.buffer().right(Modem::kScreenLimit));
}

// Each step on a scripted line: what is left in the buffer, the writes,
// the statuses and the time taken. The dial's first listed answer wins
// whatever came first, and a failed dial is stopped with a CR. The log-on
// reads split and garbled prompts; a call that ends ends the log-on at once,
// and nothing more is sent. A call the centre has dropped waits neither for a
// prompt nor for the escape's guard times; a call still up is escaped and
// hung up.
TEST(Modem, StepsEndByTheirAnswers) {
    const std::pair<const char*, const char*> cases[] = {
        {"ATZ<CR>~ATZ<CR><CR><LF>OK<CR><LF>@200",
         "reset None '<LF>' [ATZ<CR>] Resetting modem 5200ms"},
        {"", "reset NoModem '' [ATZ<CR>] Resetting modem 25000ms"},
        {"~ATDT9,01632960000<CR><CR><LF>CONNECT 9600<CR><LF>ID=@4000",
         "dial None '<LF>ID=' [ATDT9,01632960000<CR>] Dialling SMSC 4000ms"},
        {"~<CR><LF>NO CARRIER<CR><LF>CONNECT<CR><LF>@100",
         "dial None '<LF>' [ATDT9,01632960000<CR>] Dialling SMSC 100ms"},
        {"~<CR><LF>CONNECT 9600<CR><LF>@1000 | ~<CR><LF>BUSY<CR><LF>@1200",
         "dial None '<LF>' [ATDT9,01632960000<CR>] Dialling SMSC 1000ms"},
        {"~ATDT9,01632960000<CR><CR><LF>BUSY<CR><LF>@2000",
         "dial Busy '<CR><LF>' [ATDT9,01632960000<CR> <CR>] Dialling SMSC 2000ms"},
        {"~<xFF><CR><LF>NO DIALTONE<CR><LF>@100",
         "dial NoDialTone 'DIALTONE<CR><LF>' [ATDT9,01632960000<CR> <CR>] Dialling SMSC 100ms"},
        {"~<CR><LF>NO ANSWER<CR><LF>@100",
         "dial NoAnswer 'ANSWER<CR><LF>' [ATDT9,01632960000<CR> <CR>] Dialling SMSC 100ms"},
        {"~<CR><LF>NO CARRIER<CR><LF>@100",
         "dial NoCarrier 'CARRIER<CR><LF>' [ATDT9,01632960000<CR> <CR>] Dialling SMSC 100ms"},
        {"~<CR><LF>ERROR<CR><LF>@100",
         "dial DialError '<CR><LF>' [ATDT9,01632960000<CR> <CR>] Dialling SMSC 100ms"},
        {"", "dial DialTimedOut '' [ATDT9,01632960000<CR> <CR>] Dialling SMSC 60000ms"},
        {"<CR>~<xFF>I@300 | ~D=@500 | PG1~110 1.8<CR><ESC>[ | ~p<CR>@1500",
         "logon None '' [<DC1><EOT><CR> <CR> <ESC>PG1<CR>] Logging In 3000ms"},
        {"", "logon NoPrompt '' [<DC1><EOT><CR> <CR> <CR> <CR> <CR>] Logging In 21000ms"},
        {"<DC1>~ | <CR>~ | <CR>~ | <CR>~ID= | PG1~hi<CR><ESC>[p<CR>",
         "logon None '' [<DC1><EOT><CR> <CR> <CR> <CR> <ESC>PG1<CR>] Logging In 11000ms"},
        {"<CR>~ID= | PG1~110 1.8<CR> | <EOT>~<ESC><EOT><CR>",
         "logon NoGoAhead '' [<DC1><EOT><CR> <CR> <ESC>PG1<CR> <EOT><CR>] Logging In 31000ms"},
        {"<DC1>~ | <CR>~<CR><LF>NO CARRIER<CR><LF>",
         "logon NoPrompt '<CR><LF>NO CARRIER<CR><LF>' [<DC1><EOT><CR> <CR>] Logging In 1000ms"},
        {"<CR>~ID= | PG1~110 1.8<CR><LF>NO CARRIER",
         "logon NoGoAhead '<LF>NO CARRIER' [<DC1><EOT><CR> <CR> <ESC>PG1<CR>] Logging In 1000ms"},
        {"<EOT>~<ESC><EOT><CR><CR><LF>NO CARRIER<CR><LF> | AT<CR>~<CR><LF>OK<CR><LF>",
         "logoff None '<CR><LF>' [<EOT><CR> <CR> AT<CR>] Logging Out|Logged Out 0ms"},
        {"<EOT>~<ESC><EOT><CR><CR><LF>NO CARRIER<CR><LF>",
         "logoff None '<CR><LF>NO CARRIER<CR><LF>' [<EOT><CR> <CR> AT<CR>] Logging Out|Logged Out "
         "1000ms"},
        {"+++~<CR><LF>OK<CR><LF>@1000 | ATH<CR>~<CR><LF>OK<CR><LF>",
         "logoff None '<CR><LF>' [<EOT><CR> <CR> AT<CR> +++ ATH<CR>] Logging Out|Logged Out "
         "9000ms"},
    };
    for (const auto& [script, expected] : cases) {
        SCOPED_TRACE(script);
        Probe p(script);
        const QString step = QString(expected).section(' ', 0, 0);
        const Failure f = step == "reset"   ? p.modem.InitModem()
                          : step == "dial"  ? p.modem.DialService()
                          : step == "logon" ? p.tap.TAPLogin()
                                            : (p.tap.TAPLogout(), Failure::None);
        EXPECT_EQ(step + ' ' + kindName(f) + ' ' + p.story(), expected);
    }
}

// The port is read again at every opening; the line settings come from the
// configuration.
TEST(Modem, OpensTheDeviceOfComPortsWithNoParityAndOneStopBit) {
    Probe p;
    TestInstallation inst;
    inst.writeBytes(ExchangeFiles::kComPorts, "/dev/ttyS0\r\n/tmp/smsc-pty\r\n  \r\n");
    p.config.appPath = inst.appPath();
    QString shown;
    p.modem.setDisplay(
        {[&](const QString& s) { shown = s + ' '; }, [&](const QString& s) { shown += s; }, {}});
    const char* cases[][4] = {
        {" 2 ", "9600", "7", "/tmp/smsc-pty 9600 7"}, {"3", "19200", "8", "PortNotOpened"},
        {"0", "9600", "8", "PortNotOpened"},          {"COM1", "9600", "8", "PortNotOpened"},
        {"1", "fast", "8", "PortNotOpened"},          {"1", "9600", "9", "PortNotOpened"}};
    for (const auto& [port, speed, bits, expected] : cases) {
        inst.writeBytes(ExchangeFiles::kPortFile, QByteArray(port) + "\r\n");
        p.line.close();
        p.config.lineSpeed = speed;
        p.config.dataBits = bits;
        const Failure f = p.modem.OpenPort();
        const LineSettings l = p.line.settings();
        EXPECT_EQ(f == Failure::None
                      ? QString("%1 %2 %3").arg(p.line.device()).arg(l.baud).arg(l.dataBits)
                      : kindName(f),
                  expected);
        EXPECT_EQ(shown, QString(port).trimmed() + ' ' + speed + ",N," + bits + ",1");
    }
}

// ModemManager holds the mobile modem's serial device: Brindle leaves a port
// that names it (by a link) alone, and opens any other.
TEST(Modem, LeavesAPortModemManagerHolds) {
    Probe p;
    TestInstallation inst;
    const QString held = inst.root() + "/modem-link";
    ASSERT_TRUE(QFile::link("/dev/ttySIM0", held));
    inst.writeBytes(ExchangeFiles::kComPorts, held.toLocal8Bit() + "\r\n/tmp/smsc-pty\r\n");
    p.config.appPath = inst.appPath();
    p.config.lineSpeed = "9600";
    p.config.dataBits = "8";
    SimulatedModemManager mm(SMSCSIM_PATH, {"--lifetime", "120"});
    ASSERT_FALSE(mm.address.isEmpty()) << "dbus-daemon did not start: install the dbus package";
    p.modem.useModemManager(MobileModems(10000, mm.connect()));
    const char* cases[][2] = {{"1", "PortHeld /dev/fake"}, {"2", "None /tmp/smsc-pty"}};
    for (const auto& [port, expected] : cases) {
        inst.writeBytes(ExchangeFiles::kPortFile, QByteArray(port) + "\r\n");
        p.line.close();
        const Failure f = p.modem.OpenPort();
        EXPECT_EQ(kindName(f) + ' ' + p.line.device(), expected);
    }
    EXPECT_EQ(statusText(Failure::PortHeld), "Cannot Open Port : held by ModemManager");
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
        // The answer is the status log's line: a line feed ends a line too.
        {"<ETX>~Message<LF>sent successful<CR><ACK><CR>",
         "accepted None 'sent successful' [block] 1000ms"},
        {"<ETX>~211<CR><ACK><CR>", "accepted None '211' [block] 0ms"},
        {"<ETX>~Message sent Successfully<CR><ACK><CR>",
         "accepted None 'Message sent Successfully' [block] 0ms"},
        {"<ETX>~Message sent successful",
         "accepted NotReady 'Message sent successful' [block <EOT><CR>] 36000ms"},
        {"<ETX>~successful<CR>", "accepted NotReady 'successful' [block <EOT><CR>] 16000ms"},
        {"<ETX>~Message send failed<CR>", "unsent Rejected '' [block] 0ms"},
        {"<ETX>~213<CR><RS><CR>", "unsent Rejected '' [block] 0ms"},
        // A protocol character is an answer only as a line of its own: noise
        // on the line decides nothing.
        {"<ETX>~<x8F><ACK><xA3>@100 | ~Message send failed<CR><RS><CR>@200",
         "unsent Rejected '' [block] 200ms"},
        {"<ETX>~<xF1><RS><DEL>@100 | ~211 successful<CR><ACK><CR>@200",
         "accepted None '\u00f1211 successful' [block] 1000ms"},
        {"<ETX>~<NAK>x<CR>@100 | ~<ACK>@200 | ~<CR>@300", "accepted None 'x' [block] 300ms"},
        {"<ETX>~successful Message send failed<CR><CR>", "unsent Rejected '' [block] 0ms"},
        {"<ETX>~<RS> successful<CR><CR>", "accepted None 'successful' [block] 1000ms"},
        {"<EOT>~<ESC><EOT><CR>@2000", "unsent AnswerTimedOut '' [block <EOT><CR>] 62000ms"},
        {"<ETX>~<NAK><CR> | <ETX>~<NAK><CR> | <ETX>~successful<CR><ACK><CR>",
         "accepted None 'successful' [block block block] 1000ms"},
        {"<ETX>~<NAK><CR>@100 | <ETX>~<NAK><CR>@100 | <ETX>~<NAK><CR>@100 | <ETX>~<NAK><CR>@100",
         "unsent Resent '' [block block block block <EOT><CR>] 10000ms"},
        {"<ETX>~<CR><LF>NO CARRIER<CR><LF>", "unsent LineLost '' [block] 0ms"},
        // The other end gone (a modem pulled out): the port closed itself.
        {"<ETX>~succ | ~HANGUP", "unsent LineLost '' [block] 0ms"},
        {"", "unsent LineLost '' [] 0ms", "Hi", "<ACK><CR><CR><LF>NO CARRIER<CR><LF>"},
        {"<ETX>~ECHO<CR><LF>NO CARRIER<CR><LF>", "unsent LineLost '' [block] 0ms",
         "it was successful"},
        {"<ETX>~ECHO", "unsent AnswerTimedOut '' [block <EOT><CR>] 70000ms", "it was successful"},
        {"<ETX>~ECHO", "unsent AnswerTimedOut '' [block <EOT><CR>] 70000ms",
         "Message send failed twice"},
        {"<ETX>~211 successful<CR><LF>NO CARRIER<CR><LF>",
         "accepted LineLost '211 successful' [block] 1000ms"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.script) + " " + c.text);
        Probe s(c.script, c.text, c.waiting);
        const TapSession::Result r = s.tap.SendMessage("+44 7700 900123", c.text);
        EXPECT_EQ(
            QString("%1 %2 '%3' %4")
                .arg(r.accepted ? "accepted" : "unsent", kindName(r.failure), r.answer, s.writes()),
            c.expected);
        EXPECT_EQ(s.statuses(), c.text + QString(r.accepted ? "|Message Accepted" : ""));
    }
}

TEST(TapText, BlockChecksumNumberAndTail) {
    EXPECT_EQ(MakeTAPString("447700900123", "Hi"), QByteArray("\x02"
                                                              "447700900123\rHi\r\x03"
                                                              "335\r"));
    // The text goes out in the file code page.
    EXPECT_EQ(MakeTAPString("44", QString::fromUtf8("\u00a35")).mid(4, 2), "\xa3"
                                                                           "5");
    // Twelve bits, each digit '0' plus its four bits.
    const std::pair<int, QByteArray> sums[] = {{4096, "000"}, {4095, "???"}, {256, "100"}};
    for (const auto& [sum, expected] : sums) {
        // Bytes adding up to the sum: as many 0xFF as fit, then the rest.
        QByteArray bytes(sum / 255, char(0xFF));
        if (sum % 255)
            bytes += char(sum % 255);
        EXPECT_EQ(checksum(bytes), expected) << sum;
    }
    // The block table sends to "+44 7700 900123" and strips "211 <ACK><CR>".
    const QPair<QString, QString> numbers[] = {{" + 44 1", "441"}, {"++44", "+44"}, {"", ""}};
    for (auto [in, out] : numbers) {
        IntFormatNumber(in);
        EXPECT_EQ(in, out);
    }
    const QPair<QString, QString> tails[] = {{"ok\r\n \t", "ok"}, {" \r", ""}, {" a b ", " a b"}};
    for (auto [in, out] : tails) {
        StripTail(in);
        EXPECT_EQ(in, out);
    }
}

TEST(AliveCounter, WithBaseSevenNeverWritesSevenThousand) {
    AliveCounter c(7);
    EXPECT_EQ(c.next(), 8);
    for (int i = 9; i < 7000; ++i)
        ASSERT_EQ(c.next(), i);
    EXPECT_EQ(c.next(), 7);
    EXPECT_EQ(c.next(), 8);
}
