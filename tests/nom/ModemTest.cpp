#include "nom/Modem.h"
#include "common/ExchangeFiles.h"
#include "common/QSerialPortLine.h"
#include "nom/StatusLog.h"
#include "nom/TapSession.h"
#include "support/FakeClock.h"
#include "support/FakeSerialLine.h"
#include "support/TestInstallation.h"

#include "QtPrinters.h"

#include <QSocketNotifier>
#include <QTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

struct ModemTest : ::testing::Test {
    FakeClock clock;
    FakeSerialLine line;
    StatusLog status;
    Modem modem{line, status};
    QStringList statuses;
    QStringList screens;

    ModemTest() {
        status.onPaneChanged(
            [this](const QString& pane) { statuses = pane.split("\r\n", Qt::SkipEmptyParts); });
        Modem::Display d;
        d.screen = [this](const QString& s) { screens << s; };
        modem.setDisplay(d);
        line.open("/dev/fake", {});
    }
    qint64 elapsedMs(qint64 since) const { return clock.monotonicMs() - since; }
};

} // namespace

TEST_F(ModemTest, EmptySendAndWaitFindAtOnceAndKeepTheBuffer) {
    line.push("left over");
    modem.AwaitString("", "zz", 0); // time-out 0: returns without reading
    EXPECT_EQ(modem.buffer(), QByteArray());
    const qint64 t0 = clock.monotonicMs();
    EXPECT_EQ(modem.AwaitString("", "", 1), Modem::kFound);
    EXPECT_EQ(modem.buffer(), QByteArray("left over"));
    EXPECT_EQ(elapsedMs(t0), 0);
    EXPECT_TRUE(line.writes().isEmpty());
}

TEST_F(ModemTest, TimeoutZeroReturnsNotFoundWithoutReading) {
    line.push("OK\r");
    EXPECT_EQ(modem.AwaitString("AT\r", "OK", 0), Modem::kNotFound);
    EXPECT_EQ(modem.buffer(), QByteArray());
    EXPECT_EQ(line.writes(), QByteArrayList{"AT\r"});
}

TEST_F(ModemTest, AFoundTextTakesEverythingUpToItAndLeavesTheRest) {
    line.on("ATZ\r", "\r\nOK\r\nRING\r\n");
    EXPECT_EQ(modem.AwaitString("ATZ\r", "OK\r", 20), Modem::kFound);
    EXPECT_EQ(modem.buffer(), QByteArray("\nRING\r\n"));
    // Text left from an earlier wait satisfies the next one at once.
    const qint64 t0 = clock.monotonicMs();
    EXPECT_EQ(modem.AwaitString("", "RING", 5), Modem::kFound);
    EXPECT_EQ(elapsedMs(t0), 0);
    EXPECT_EQ(modem.buffer(), QByteArray("\r\n"));
}

TEST_F(ModemTest, AnswerSplitAcrossReadsIsFound) {
    line.on("ATZ\r", "\r\nO", 300).reply("K", 900).reply("\r\n", 1200);
    EXPECT_EQ(modem.AwaitString("ATZ\r", "OK\r", 20), Modem::kFound);
}

TEST_F(ModemTest, RejectionTextEmptiesTheBufferAndReturns100) {
    line.push("ID=garbage Message send failed\r more");
    EXPECT_EQ(modem.AwaitString("", "successful", 60), Modem::kRejected);
    EXPECT_EQ(modem.buffer(), QByteArray());
}

TEST_F(ModemTest, TimeOutsAreWholeSeconds) {
    // Started on a second boundary, a wait of n seconds lasts n seconds ...
    qint64 t0 = clock.monotonicMs();
    EXPECT_EQ(modem.AwaitString("", "never", 20), Modem::kNotFound);
    EXPECT_EQ(elapsedMs(t0), 20000);
    // ... and started late in a second it lasts less, never less than n - 1.
    clock.advanceMs(700);
    t0 = clock.monotonicMs();
    EXPECT_EQ(modem.AwaitString("", "never", 5), Modem::kNotFound);
    EXPECT_EQ(elapsedMs(t0), 4300);
    t0 = clock.monotonicMs();
    modem.WaitSecs(3);
    EXPECT_EQ(elapsedMs(t0), 3000);
}

TEST_F(ModemTest, NothingIsWrittenToAClosedPortAndTheWaitRunsOut) {
    line.close();
    const qint64 t0 = clock.monotonicMs();
    EXPECT_EQ(modem.AwaitString("ATZ\r", "OK", 2), Modem::kNotFound);
    EXPECT_TRUE(line.writes().isEmpty());
    EXPECT_EQ(elapsedMs(t0), 2000);
}

TEST_F(ModemTest, MultiStringFirstListedTextWins) {
    struct Case {
        QByteArray reply;
        bool connected;
        QByteArray left;
    };
    const Case cases[] = {
        {"\r\nCONNECT 9600\r\n", true, " 9600\r\n"},
        {"\r\nNO CARRIER\r\nCONNECT\r\n", true, "\r\n"}, // one read holding both
        {"\r\nBUSY\r\n", false, "\r\n"},
        {"\r\nNO DIALTONE\r\n", false, "DIALTONE\r\n"},
        {"\r\nERROR\r\n", false, "\r\n"},
    };
    for (const Case& c : cases) {
        modem.clearBuffer();
        line.push(c.reply, 1500);
        EXPECT_EQ(modem.AwaitMultiString("ATDT123\r", "CONNECT", "NO ", "ERROR", "BUSY", 60),
                  c.connected)
            << c.reply.toStdString();
        EXPECT_EQ(modem.buffer(), c.left);
    }
}

TEST_F(ModemTest, ConnectThenBusyCountsAsConnected) {
    line.push("\r\nCONNECT 9600\r\n", 1000);
    line.push("\r\nBUSY\r\n", 1200);
    EXPECT_TRUE(modem.AwaitMultiString("ATDT1\r", "CONNECT", "NO ", "ERROR", "BUSY", 60));
}

TEST_F(ModemTest, MultiStringWithNothingToWaitForSendsAndReadsThenIsFalse) {
    line.push("\r\nOK\r\n");
    line.push("later", 500);
    const qint64 t0 = clock.monotonicMs();
    EXPECT_FALSE(modem.AwaitMultiString("ATDT1\r", "", "", "", "", 60));
    EXPECT_EQ(line.writes(), QByteArrayList{"ATDT1\r"});
    EXPECT_EQ(modem.buffer(), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(screens.last(), "\r\nOK\r\n");
    EXPECT_EQ(elapsedMs(t0), 0);
}

TEST_F(ModemTest, SilentModemTimesOutAfterResetPause) {
    QString response;
    const qint64 t0 = clock.monotonicMs();
    EXPECT_FALSE(modem.InitModem(response));
    EXPECT_EQ(response, "No Modem Response");
    EXPECT_EQ(elapsedMs(t0), 25000); // 5 s pause, then 20 s for OK
    EXPECT_EQ(line.writes(), QByteArrayList{"ATZ\r"});
    EXPECT_EQ(statuses, QStringList{"Resetting modem"});
}

TEST_F(ModemTest, DialFailuresStopTheDialWithACarriageReturn) {
    for (const QByteArray& reply :
         {QByteArray("\r\nBUSY\r\n"), QByteArray("\r\nNO ANSWER\r\n"), QByteArray()}) {
        FakeSerialLine fresh;
        fresh.open("/dev/fake", {});
        Modem m(fresh, status);
        m.setPortConfig({QString(), "9600", "8", "9,01632960000"});
        if (!reply.isEmpty())
            fresh.on("ATDT", reply, 2000);
        QString response;
        const qint64 t0 = clock.monotonicMs();
        EXPECT_FALSE(m.DialService(response));
        EXPECT_EQ(response, "Failed to connect to SMSC");
        EXPECT_EQ(fresh.writes(), (QByteArrayList{"ATDT9,01632960000\r", "\r"}));
        EXPECT_EQ(elapsedMs(t0), reply.isEmpty() ? 60000 : 2000);
    }
}

TEST_F(ModemTest, DialTakesTheRestOfTheConnectLine) {
    modem.setPortConfig({QString(), "9600", "8", "01632960000"});
    line.on("ATDT01632960000\r", "\r\nCONNECT 9600\r\nID=", 4000);
    QString response;
    EXPECT_TRUE(modem.DialService(response));
    EXPECT_EQ(modem.buffer(), QByteArray("\nID="));
}

TEST_F(ModemTest, HangupInCommandStateIsOneCommand) {
    line.on("AT\r", "\r\nOK\r\n");
    const qint64 t0 = clock.monotonicMs();
    modem.HangupModem();
    EXPECT_EQ(line.writes(), QByteArrayList{"AT\r"});
    EXPECT_EQ(statuses, (QStringList{"Logging Out", "Logged Out"}));
    EXPECT_EQ(elapsedMs(t0), 0);
}

TEST_F(ModemTest, HangupOnLineEscapesWithGuardTimesThenHangsUp) {
    line.on("+++", "\r\nOK\r\n", 1000).on("ATH\r", "\r\nOK\r\n", 200);
    const qint64 t0 = clock.monotonicMs();
    modem.HangupModem();
    EXPECT_EQ(line.writes(), (QByteArrayList{"AT\r", "+++", "ATH\r"}));
    // 1 s for AT, 2 s guard, 1 s for OK, 1 s guard, 0.2 s for OK.
    EXPECT_EQ(elapsedMs(t0), 5200);
    EXPECT_EQ(statuses, (QStringList{"Logging Out", "Logged Out"}));
}

TEST_F(ModemTest, BufferOfAChattyLineStaysBounded) {
    for (int i = 0; i < 200; ++i)
        line.push(QByteArray(1000, 'x'));
    modem.AwaitString("", "never", 1);
    EXPECT_LE(modem.buffer().size(), 64 * 1024);
}

TEST_F(ModemTest, ScreenIsEmptiedForTerminalServerBanners) {
    line.push("CONNECT 9600\r\n");
    modem.AwaitString("", "", 1);
    EXPECT_EQ(screens, QStringList{"CONNECT 9600\r\n"});
    line.push("Annex login: ");
    modem.AwaitString("", "nothing", 1);
    EXPECT_EQ(screens.last(), QString());
    modem.clearBuffer();
    line.push("ID=");
    modem.AwaitString("", "nothing", 1);
    EXPECT_EQ(screens.last(), "ID=");
}

TEST(ModemPort, OpensTheDeviceOfComPortsWithFixedParityAndStopBits) {
    FakeClock clock;
    TestInstallation inst;
    inst.writeBytes(ExchangeFiles::kPortFile, " 2 \r\n");
    inst.writeBytes(ExchangeFiles::kComPorts, "/dev/ttyS0\r\n/tmp/smsc-pty\r\n");
    FakeSerialLine line;
    StatusLog status;
    Modem modem(line, status);
    QString portShown, settingsShown;
    modem.setDisplay({[&](const QString& p) { portShown = p; },
                      [&](const QString& s) { settingsShown = s; },
                      {}});
    modem.setPortConfig({inst.appPath(), "9600", "7", "1"});
    ASSERT_TRUE(modem.OpenPort());
    EXPECT_EQ(line.device(), "/tmp/smsc-pty");
    EXPECT_EQ(line.settings().baud, 9600);
    EXPECT_EQ(line.settings().dataBits, 7);
    EXPECT_EQ(portShown, "2");
    EXPECT_EQ(settingsShown, "9600,N,7,1");
}

TEST(ModemPort, UnusablePortOrSettingsCannotOpen) {
    FakeClock clock;
    TestInstallation inst;
    struct Case {
        QByteArray port;
        QString speed, bits;
    };
    const Case cases[] = {{"0", "9600", "8"}, {"COM1", "9600", "8"}, {"1", "fast", "8"},
                          {"1", "9600", "9"}, {"-1", "9600", "8"},   {"", "9600", "8"}};
    for (const Case& c : cases) {
        inst.writeBytes(ExchangeFiles::kPortFile, c.port + "\r\n");
        FakeSerialLine line;
        StatusLog status;
        QString pane;
        status.onPaneChanged([&](const QString& p) { pane = p; });
        Modem modem(line, status);
        modem.setPortConfig({inst.appPath(), c.speed, c.bits, "1"});
        EXPECT_FALSE(modem.OpenPort()) << c.port.toStdString();
        EXPECT_EQ(pane, "Cannot Open Port\r\n");
        EXPECT_FALSE(line.isOpen());
    }
}

namespace {
// A pseudo-terminal: the port is its slave, the other end of the line its master.
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
};
} // namespace

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

    Pty pty;
    ASSERT_FALSE(pty.port.isEmpty());
    QSerialPortLine line;
    ASSERT_TRUE(line.open(pty.port, {9600, 8}));
    StatusLog status;
    Modem modem(line, status);
    TapSession tap(modem, status);
    // The other end takes the block in, then closes.
    QSocketNotifier blockIn(pty.master, QSocketNotifier::Read);
    QObject::connect(&blockIn, &QSocketNotifier::activated, [&] {
        blockIn.setEnabled(false);
        pty.closeMaster();
    });
    QString response;
    EXPECT_EQ(tap.SendMessage("+447700900123", "Hi", response), TapSession::Outcome::LineLost);
    EXPECT_EQ(response, "Connection to SMSC lost");
    EXPECT_EQ(pty.master, -1) << "the block reached the other end";
    EXPECT_FALSE(line.isOpen());

    Pty next;
    EXPECT_TRUE(line.open(next.port, {9600, 8})) << "the next attempt opens afresh";
}
