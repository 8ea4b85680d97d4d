#include "nom/TapSession.h"
#include "nom/BrindleConfig.h"
#include "nom/Modem.h"
#include "nom/StatusLog.h"
#include "nom/TapText.h"
#include "support/FakeClock.h"
#include "support/FakeSerialLine.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace TapText;
namespace {

enum class Outcome { Accepted, AcceptedLineLost, Rejected, LineLost, Failed };

Outcome outcomeOf(const TapSession::Result& r) {
    if (r.accepted)
        return r.failure == Failure::None ? Outcome::Accepted : Outcome::AcceptedLineLost;
    switch (r.failure) {
    case Failure::Rejected:
        return Outcome::Rejected;
    case Failure::LineLost:
        return Outcome::LineLost;
    default:
        return Outcome::Failed;
    }
}

// What the log shows for the result.
QString shown(const TapSession::Result& r) {
    return r.failure == Failure::None ? r.answer : statusText(r.failure);
}

Outcome send(TapSession& t, const QString& number, const QString& text, QString& response) {
    const TapSession::Result r = t.SendMessage(number, text);
    response = shown(r);
    return outcomeOf(r);
}

bool login(TapSession& t, QString& response) {
    const Failure f = t.TAPLogin();
    response = statusText(f);
    return f == Failure::None;
}

const QByteArray kEsc(1, ESC);
const QByteArray kGoAhead = kEsc + "[p\r";
const QByteArray kEotCR = QByteArray(1, EOT) + "\r";
const QByteArray kBlock = MakeTAPString("447700900123", "Hi");

struct TapTest : ::testing::Test {
    FakeClock clock;
    FakeSerialLine line;
    StatusLog status;
    BrindleConfig config;
    Modem modem{line, status, config};
    TapSession tap{modem, status};
    QStringList statuses;
    QString response;
    qint64 t0 = 0;

    TapTest() {
        status.onPaneChanged(
            [this](const QString& pane) { statuses = pane.split("\r\n", Qt::SkipEmptyParts); });
        line.open("/dev/fake", {});
    }
    void mark() { t0 = clock.monotonicMs(); }
    qint64 elapsed() const { return clock.monotonicMs() - t0; }
    Outcome send() { return ::send(tap, "+44 7700 900123", "Hi", response); }
};

} // namespace

TEST_F(TapTest, LoginSendsPG1AfterThePromptAndWaitsForGoAhead) {
    line.on("\r", "ID=", 800).on("PG1", "110 1.8\r").reply(kGoAhead, 1500);
    mark();
    EXPECT_TRUE(login(tap, response));
    EXPECT_EQ(line.writes(), (QByteArrayList{QByteArray("\x11\x04\r"), "\r", kEsc + "PG1\r"}));
    EXPECT_EQ(statuses, QStringList{"Logging In"});
    EXPECT_EQ(elapsed(), 1000 + 800 + 1500);
}

TEST_F(TapTest, NoPromptAfterFourTriesOfFiveSeconds) {
    mark();
    EXPECT_FALSE(login(tap, response));
    EXPECT_EQ(response, "SMSC not responding");
    EXPECT_EQ(line.writeCount("\r"), 4);
    EXPECT_EQ(elapsed(), 1000 + 4 * 5000);
}

TEST_F(TapTest, PromptOnTheThirdTry) {
    line.on("\x11\x04\r", "")
        .on("\r", "")
        .on("\r", "")
        .on("\r", "ID=")
        .on("PG1", "hello\r" + kGoAhead);
    EXPECT_TRUE(login(tap, response));
    EXPECT_EQ(line.writeCount("\r"), 3);
}

TEST_F(TapTest, NoGoAheadEndsTheExchange) {
    line.on("\r", "ID=").on("PG1", "110 1.8\r").on(kEotCR, kEsc + kEotCR);
    mark();
    EXPECT_FALSE(login(tap, response));
    EXPECT_EQ(response, "Timed out waiting for Ready");
    EXPECT_EQ(line.writes().last(), kEotCR);
    EXPECT_EQ(elapsed(), 1000 + 30000);
}

TEST_F(TapTest, AcceptedMessageWithTheTwoCarriageReturns) {
    line.on(kBlock, "Message sent successful\r\x06\r", 700);
    mark();
    EXPECT_EQ(send(), Outcome::Accepted);
    EXPECT_EQ(line.writes(), QByteArrayList{kBlock});
    EXPECT_EQ(statuses, (QStringList{"Hi", "Message Accepted"}));
    EXPECT_EQ(response, "Message sent successful");
    // The second's pause after the acceptance ends at the next whole second.
    EXPECT_EQ(elapsed(), 1000);
    EXPECT_EQ(modem.buffer(), QByteArray());
}

// Every row of the failure table, on the fake clock.
TEST_F(TapTest, SilentSmscAfterABlock) {
    line.on(kEotCR, kEsc + kEotCR, 2000);
    mark();
    EXPECT_EQ(send(), Outcome::Failed);
    EXPECT_EQ(response, "Timed out waiting for message response");
    EXPECT_EQ(line.writes(), (QByteArrayList{kBlock, kEotCR}));
    EXPECT_EQ(elapsed(), 60000 + 2000);
}

TEST_F(TapTest, SuccessfulWithoutCarriageReturnsIsStillAnAcceptance) {
    line.on(kBlock, "Message sent successful");
    mark();
    EXPECT_EQ(send(), Outcome::AcceptedLineLost);
    EXPECT_EQ(response, "Timed out waiting for Ready");
    EXPECT_EQ(line.writes().last(), kEotCR);
    EXPECT_EQ(elapsed(), 1000 + 25000 + 10000);
}

TEST_F(TapTest, SuccessfulWithOneCarriageReturnWaitsFiveMore) {
    line.on(kBlock, "successful\r");
    mark();
    EXPECT_EQ(send(), Outcome::AcceptedLineLost);
    EXPECT_EQ(elapsed(), 1000 + 5000 + 10000);
}

TEST_F(TapTest, RejectionTextDropsTheMessage) {
    line.on(kBlock, "Message send failed\r");
    EXPECT_EQ(send(), Outcome::Rejected);
    EXPECT_EQ(response, "Message send failed");
    EXPECT_EQ(modem.buffer(), QByteArray());
    EXPECT_EQ(line.writes(), QByteArrayList{kBlock});
}

TEST_F(TapTest, StandardAnswersOfPagingTerminals) {
    struct Case {
        QByteArray answer;
        Outcome outcome;
        QString response;
    };
    const Case cases[] = {
        {"211 \x06\r", Outcome::Accepted, "211"},
        {"Message sent Successfully\r\x06\r", Outcome::Accepted, "Message sent Successfully"},
        {"213 \x1e\r", Outcome::Rejected, "Message send failed"},
        // A rejection wins over an acceptance in the same answer.
        {"successful Message send failed\r\r", Outcome::Rejected, "Message send failed"},
        {"\x1e successful\r\r", Outcome::Rejected, "Message send failed"},
        {"211 \x06", Outcome::AcceptedLineLost, "Timed out waiting for Ready"},
    };
    for (const Case& c : cases) {
        FakeSerialLine l;
        l.open("/dev/fake", {});
        Modem m(l, status, config);
        TapSession t(m, status);
        l.on(kBlock, c.answer);
        QString r;
        EXPECT_EQ(::send(t, "+447700900123", "Hi", r), c.outcome) << c.answer.toStdString();
        EXPECT_EQ(r, c.response);
    }
}

// A call that ends mid-wait: a message counts as sent only once "successful"
// has come from the SMSC, and a modem back in command state echoes the block,
// whose own text is no answer.
TEST_F(TapTest, ALostCallIsNoAnswer) {
    const QByteArray noCarrier = "\r\nNO CARRIER\r\n";
    struct Case {
        const char* name;
        QString text;
        QByteArray waiting; // in from before the block
        bool echoed;        // the block comes back first
        QByteArray answer;
        Outcome outcome;
        QString response;
        int writes; // the block, then EOT CR when the exchange is ended
    };
    const Case cases[] = {
        {"no carrier", "Hi", "", false, noCarrier, Outcome::LineLost, "Connection to SMSC lost", 1},
        {"echo, then no carrier", "it was successful", "", true, noCarrier, Outcome::LineLost,
         "Connection to SMSC lost", 1},
        {"no carrier already in", "Hi", "\x06\r" + noCarrier, false, "", Outcome::LineLost,
         "Connection to SMSC lost", 0},
        {"echo of successful", "it was successful", "", true, "", Outcome::Failed,
         "Timed out waiting for message response", 2},
        {"echo of a rejection", "Message send failed twice", "", true, "", Outcome::Failed,
         "Timed out waiting for message response", 2},
        {"successful, then no carrier", "Hi", "", false, "211 successful" + noCarrier,
         Outcome::AcceptedLineLost, "Timed out waiting for Ready", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSerialLine l;
        l.open("/dev/fake", {});
        Modem m(l, status, config);
        TapSession t(m, status);
        const QByteArray block = MakeTAPString("447700900123", c.text);
        l.push(c.waiting);
        l.on(block, (c.echoed ? block : QByteArray()) + c.answer);
        QString r;
        EXPECT_EQ(::send(t, "+447700900123", c.text, r), c.outcome);
        EXPECT_EQ(r, c.response);
        EXPECT_EQ(l.writes().size(), c.writes);
    }
}

TEST_F(TapTest, ALostCallEndsTheLogOnAtOnce) {
    const QByteArray noCarrier = "\r\nNO CARRIER\r\n";
    line.on("\x11\x04\r", "").on("\r", noCarrier);
    mark();
    EXPECT_FALSE(login(tap, response));
    EXPECT_EQ(response, "SMSC not responding");
    EXPECT_EQ(line.writeCount("\r"), 1);
    EXPECT_EQ(elapsed(), 1000);

    FakeSerialLine l;
    l.open("/dev/fake", {});
    Modem m(l, status, config);
    TapSession t(m, status);
    l.on("\r", "ID=").on("PG1", "110 1.8" + noCarrier);
    QString r;
    mark();
    EXPECT_FALSE(login(t, r));
    EXPECT_EQ(r, "Timed out waiting for Ready");
    EXPECT_EQ(l.writes().last(), kEsc + "PG1\r") << "nothing sent to a call that has ended";
    EXPECT_EQ(elapsed(), 1000);
}

TEST_F(TapTest, NakSendsTheSameBlockAgainAtMostThreeTimes) {
    line.on(kBlock, "\x15\r").on(kBlock, "\x15\r").on(kBlock, "successful\r\x06\r");
    EXPECT_EQ(send(), Outcome::Accepted);
    EXPECT_EQ(line.writeCount(kBlock), 3);

    FakeSerialLine l;
    l.open("/dev/fake", {});
    Modem m(l, status, config);
    TapSession t(m, status);
    for (int i = 0; i < 4; ++i)
        l.on(kBlock, "\x15\r", 100);
    QString r;
    mark();
    EXPECT_EQ(::send(t, "+447700900123", "Hi", r), Outcome::Failed);
    EXPECT_EQ(r, "Timed out waiting for message response");
    EXPECT_EQ(l.writeCount(kBlock), 4);
    EXPECT_EQ(l.writes().last(), kEotCR);
    EXPECT_EQ(elapsed(), 10000);
}

TEST_F(TapTest, LogoutEndsTheExchangeAndDropsTheLine) {
    line.on(kEotCR, kEsc + kEotCR + "\r\nNO CARRIER\r\n").on("AT\r", "\r\nOK\r\n");
    tap.TAPLogout();
    EXPECT_EQ(line.writes(), (QByteArrayList{kEotCR, "\r", "AT\r"}));
    EXPECT_EQ(statuses, (QStringList{"Logging Out", "Logged Out"}));
}
