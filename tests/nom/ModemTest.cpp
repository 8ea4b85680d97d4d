#include "nom/Modem.h"
#include "BrindleSimTest.h"
#include "common/ExchangeFiles.h"
#include "common/QSerialPortLine.h"
#include "nom/BrindleConfig.h"
#include "nom/StatusLog.h"
#include "nom/TapSession.h"
#include "support/LineBytes.h"

#include <QSocketNotifier>
#include <QTimer>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

// A modem on a scripted line, started on a whole second.
struct Probe {
    FakeClock clock;
    FakeSerialLine line;
    StatusLog status;
    BrindleConfig config;
    Modem modem{line, status, config};
    QStringList screens;
    qint64 t0 = clock.monotonicMs();

    explicit Probe(const QString& script = {}) {
        modem.setDisplay({{}, {}, [this](const QString& s) { screens << readable(s.toLatin1()); }});
        line.open("/dev/fake", {});
        line.script(script);
        config.lineSpeed = "9600";
        config.dataBits = "8";
        config.smscNumber = "01632960000";
    }
    // What is left in the buffer, the writes, the statuses and the time taken.
    QString story() const {
        QStringList w;
        for (const QByteArray& b : line.writes())
            w << readable(b);
        QStringList parts{"'" + readable(modem.buffer()) + "'", "[" + w.join(' ') + "]"};
        parts << status.paneText().split("\r\n", Qt::SkipEmptyParts).join('|');
        parts.removeAll(QString());
        return parts.join(' ') + QString(" %1ms").arg(clock.monotonicMs() - t0);
    }
};

const char* name(Modem::WaitResult r) {
    static const char* names[] = {"Found", "TimedOut", "Rejected", "LineLost", "Cancelled"};
    return names[int(r)];
}

} // namespace

TEST(Modem, AwaitStringTakesEverythingUpToTheTextAndWaitsWholeSeconds) {
    struct Case {
        const char* script; // what arrives, and when
        const char* send;
        const char* wait;
        int timeout;
        const char* expected;
    };
    const Case cases[] = {
        {"~left", "", "", 1, "Found 'left' [] 0ms"},                // nothing taken
        {"~OK<CR>", "AT<CR>", "OK", 0, "TimedOut '' [AT<CR>] 0ms"}, // sent, nothing read
        {"~<CR><LF>OK<CR><LF>RING<CR><LF>", "ATZ<CR>", "OK<CR>", 20,
         "Found '<LF>RING<CR><LF>' [ATZ<CR>] 0ms"},
        {"~<xFF><NUL><CR><LF>O@300 | ~K@900 | ~<CR><LF>@1200", "ATZ<CR>", "OK<CR>", 20,
         "Found '<LF>' [ATZ<CR>] 1200ms"},
        {"~ID=garbage Message send failed<CR> more", "", "successful", 60, "Rejected '' [] 0ms"},
        {"", "", "never", 20, "TimedOut '' [] 20000ms"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        Probe p(c.script);
        const Modem::WaitResult r = p.modem.AwaitString(bytes(c.send), bytes(c.wait), c.timeout);
        EXPECT_EQ(name(r) + (' ' + p.story()), c.expected);
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

// The dial's answers, the first listed winning whatever came first; a failed
// dial is stopped with a CR.
TEST(Modem, DialAnswersAreKinds) {
    const std::pair<const char*, const char*> cases[] = {
        {"~ATDT01632960000<CR><CR><LF>CONNECT 9600<CR><LF>ID=@4000",
         "None '<LF>ID=' [ATDT01632960000<CR>] Dialling SMSC 4000ms"},
        {"~<CR><LF>NO CARRIER<CR><LF>CONNECT<CR><LF>@100",
         "None '<LF>' [ATDT01632960000<CR>] Dialling SMSC 100ms"},
        {"~<CR><LF>CONNECT 9600<CR><LF>@1000 | ~<CR><LF>BUSY<CR><LF>@1200",
         "None '<LF>' [ATDT01632960000<CR>] Dialling SMSC 1000ms"},
        {"~ATDT01632960000<CR><CR><LF>BUSY<CR><LF>@2000",
         "Busy '<CR><LF>' [ATDT01632960000<CR> <CR>] Dialling SMSC 2000ms"},
        {"~<xFF><CR><LF>NO DIALTONE<CR><LF>@100",
         "NoDialTone 'DIALTONE<CR><LF>' [ATDT01632960000<CR> <CR>] Dialling SMSC 100ms"},
        {"~<CR><LF>NO ANSWER<CR><LF>@100",
         "NoAnswer 'ANSWER<CR><LF>' [ATDT01632960000<CR> <CR>] Dialling SMSC 100ms"},
        {"~<CR><LF>NO CARRIER<CR><LF>@100",
         "NoCarrier 'CARRIER<CR><LF>' [ATDT01632960000<CR> <CR>] Dialling SMSC 100ms"},
        {"~<CR><LF>ERROR<CR><LF>@100",
         "DialError '<CR><LF>' [ATDT01632960000<CR> <CR>] Dialling SMSC 100ms"},
        {"", "DialTimedOut '' [ATDT01632960000<CR> <CR>] Dialling SMSC 60000ms"},
    };
    for (const auto& [script, expected] : cases) {
        SCOPED_TRACE(script);
        Probe p(script);
        const Failure f = p.modem.DialService();
        EXPECT_EQ(kindName(f) + ' ' + p.story(), expected);
    }
    Probe p;
    p.config.outsideLinePrefix = 9;
    p.config.outsideLineOption = 1;
    p.modem.DialService();
    EXPECT_EQ(p.line.writes().first(), "ATDT9,01632960000\r");
}

TEST(Modem, ResetAndHangUp) {
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"ATZ<CR>~ATZ<CR><CR><LF>OK<CR><LF>@200", false,
         "None '<LF>' [ATZ<CR>] Resetting modem 5200ms"},
        {"", false, "NoModem '' [ATZ<CR>] Resetting modem 25000ms"},
        {"AT<CR>~<CR><LF>OK<CR><LF>@200", true,
         "None '<CR><LF>' [AT<CR>] Logging Out|Logged Out 200ms"},
        // On line: 1 s for AT, 2 s guard, OK 0.2 s after the pluses, the
        // guard to the next whole second, 0.2 s for OK.
        {"+++~<CR><LF>OK<CR><LF>@200 | ATH<CR>~<CR><LF>OK<CR><LF>@200", true,
         "None '<CR><LF>' [AT<CR> +++ ATH<CR>] Logging Out|Logged Out 4200ms"},
    };
    for (const auto& [script, hangUp, expected] : cases) {
        SCOPED_TRACE(script);
        Probe p(script);
        const Failure f = hangUp ? (p.modem.HangupModem(), Failure::None) : p.modem.InitModem();
        EXPECT_EQ(kindName(f) + ' ' + p.story(), expected);
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
        {"5", "9600", "8", "PortNotOpened"},          {"0", "9600", "8", "PortNotOpened"},
        {"COM1", "9600", "8", "PortNotOpened"},       {"-1", "9600", "8", "PortNotOpened"},
        {"", "9600", "8", "PortNotOpened"},           {"1", "fast", "8", "PortNotOpened"},
        {"1", "9600", "9", "PortNotOpened"}};
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

// The other end of the line goes while a block waits for its answer (a USB
// modem pulled out, a simulator gone): a hung-up line reads as end of file for
// ever, and the wait must end at once as a lost call, not keep waking up.
TEST(ModemOnAPty, TheOtherEndClosingMidWaitLosesTheCall) {
    FakeClock clock;
    // Every pass of the event loop moves the clock on, so a wait that kept
    // waking up without ending still runs out.
    QTimer passes;
    QObject::connect(&passes, &QTimer::timeout, [&] { clock.advanceMs(100); });
    passes.start(0);

    struct Pty {
        int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        QString port;
        Pty() {
            if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
                port = QString::fromLocal8Bit(::ptsname(master));
        }
        ~Pty() { closeMaster(); }
        void closeMaster() {
            if (master >= 0)
                ::close(master);
            master = -1;
        }
    } pty;
    ASSERT_FALSE(pty.port.isEmpty());
    QSerialPortLine line;
    ASSERT_TRUE(line.open(pty.port, {9600, 8}));
    StatusLog status;
    BrindleConfig config;
    Modem modem(line, status, config);
    TapSession tap(modem, status);
    // The other end takes the block in, then closes.
    QSocketNotifier blockIn(pty.master, QSocketNotifier::Read);
    QObject::connect(&blockIn, &QSocketNotifier::activated, [&] {
        blockIn.setEnabled(false);
        pty.closeMaster();
    });
    EXPECT_EQ(tap.SendMessage("+447700900123", "Hi").failure, Failure::LineLost);
    EXPECT_EQ(pty.master, -1) << "the block reached the other end";
    EXPECT_FALSE(line.isOpen());

    Pty next;
    EXPECT_TRUE(line.open(next.port, {9600, 8})) << "the next attempt opens afresh";
}
