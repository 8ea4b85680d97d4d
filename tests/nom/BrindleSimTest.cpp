// The installed Brindle against the message-centre simulator on a real
// pseudo-terminal: whole runs, as the client starts them.
#include "InstalledTree.h"
#include "QtPrinters.h"
#include "common/LineFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

const QString kConfigDir = "NOM/UK/Cellnet/Config/";

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class SimRun {
public:
    explicit SimRun(const QStringList& simOptions) {
        if (!m_tree.ok())
            return;
        m_sim = root() + "/bin/smscsim";
        if (!QFile::exists(m_sim))
            return;
        QDir().mkpath(root() + "/run");
        m_simProcess.setProcessChannelMode(QProcess::SeparateChannels);
        m_simProcess.start(m_sim, QStringList{"--record", record(), "--transcript",
                                              root() + "/run/transcript.txt", "--lifetime", "300",
                                              "--guard", "50"} +
                                      simOptions);
        if (!m_simProcess.waitForStarted(5000))
            return;
        // The first line is the pseudo-terminal's path.
        while (!m_simProcess.canReadLine() && m_simProcess.waitForReadyRead(5000)) {
        }
        m_pty = QString::fromLocal8Bit(m_simProcess.readLine()).trimmed();
        writeFile("Config/Port.cfg", " 1 \r\n");
        writeFile("Config/ComPorts.cfg", m_pty.toLocal8Bit() + "\r\n");
        m_ready = !m_pty.isEmpty();
    }
    ~SimRun() {
        m_brindle.kill();
        m_brindle.waitForFinished(5000);
        m_simProcess.terminate();
        if (!m_simProcess.waitForFinished(5000))
            m_simProcess.kill();
    }

    bool ready() const { return m_ready; }
    QString why() const { return m_tree.ok() ? "no smscsim installed" : m_tree.log(); }
    QString root() const { return m_tree.root(); }
    QString record() const { return root() + "/run/record.txt"; }
    QByteArray file(const QString& rel) const { return bytesOf(root() + "/" + rel); }
    void writeFile(const QString& rel, const QByteArray& bytes) {
        QFile f(root() + "/" + rel);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    void setConfigLine(int n, const QString& value) {
        QStringList lines = LineFile::readAll(root() + "/" + kConfigDir + "Brindle.cfg");
        lines[n - 1] = value;
        LineFile::rewrite(root() + "/" + kConfigDir + "Brindle.cfg", lines);
    }
    void queue(const QStringList& entries) {
        LineFile::appendLines(root() + "/" + kConfigDir + "Brindle.in", entries);
    }

    void startBrindle() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QUORVEL_REGISTRY", root() + "/registry.ini");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        m_brindle.setProcessEnvironment(env);
        m_brindle.setWorkingDirectory(root());
        m_brindle.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_brindle.start(root() + "/NOM/UK/Cellnet/Brindle", {});
        ASSERT_TRUE(m_brindle.waitForStarted(5000));
    }
    // Blocks until Brindle ends by itself; false when it did not within the time.
    bool waitForBrindle(int ms) {
        return m_brindle.waitForFinished(ms) && m_brindle.exitStatus() == QProcess::NormalExit;
    }
    QProcess& brindle() { return m_brindle; }
    QString state() const { return LineFile::readLast(root() + "/StartNOM.cfg"); }
    QStringList log() const {
        QStringList out;
        for (const QString& l : LineFile::readAll(root() + "/NOMMon/Logs/SMSC.log"))
            out << l.mid(18);
        return out;
    }

private:
    InstalledTree m_tree;
    QString m_sim;
    QString m_pty;
    QProcess m_simProcess;
    QProcess m_brindle;
    bool m_ready = false;
};

QStringList entries(int n) {
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << QStringLiteral("[%1] 06/12/2026 10:00:%2 +4477009000%2 Message number %1, "
                              "with + and  blanks ")
                   .arg(i)
                   .arg(i, 2, 10, QLatin1Char('0'));
    return out;
}

// What the simulator records for an entry: the number without its '+', a
// tab, the text.
QByteArray recorded(const QStringList& entries) {
    QByteArray out;
    for (const QString& e : entries) {
        const qsizetype plus = e.indexOf('+');
        const qsizetype blank = e.indexOf(' ', plus);
        out += e.mid(plus + 1, blank - plus - 1).toLatin1() + '\t' + e.mid(blank + 1).toLatin1() +
               '\n';
    }
    return out;
}

// The simulator is part of every build: a missing one is a failure, not a skip.
#define REQUIRE_SIMULATOR(run) ASSERT_TRUE((run).ready()) << (run).why().toStdString()

} // namespace

TEST(BrindleWithSimulator, SendsEveryEntryAndEndsComplete) {
    SimRun run({});
    REQUIRE_SIMULATOR(run);
    const QStringList queued = entries(5);
    run.queue(queued);
    run.startBrindle();
    ASSERT_TRUE(run.waitForBrindle(120000));
    EXPECT_EQ(run.state(), "COMPLETE");
    EXPECT_EQ(run.file(kConfigDir + "Brindle.out"), LineFile::encodeLines(queued));
    EXPECT_EQ(bytesOf(run.record()), recorded(queued));
    EXPECT_EQ(run.file(kConfigDir + "Brindle.in"), QByteArray("\r\n"));
    EXPECT_EQ(run.file(kConfigDir + "Brindle.tkn"), QByteArray());
    const QStringList log = run.log();
    EXPECT_EQ(log.count("Message Accepted"), 5);
    EXPECT_TRUE(log.contains("Sending Message +447700900005 "));
    // The fifth message went out on a new call and log-on.
    EXPECT_EQ(log.count("Dialling SMSC"), 2);
    // NOMMon.log: the log's last non-empty line, time-stamped.
    const QByteArray monitor = run.file("NOMMon.log");
    EXPECT_TRUE(
        QRegularExpression("^\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\S[^\\r\\n]*\\r\\n$")
            .match(QString::fromLatin1(monitor))
            .hasMatch())
        << monitor.toStdString();
    QStringList written = LineFile::readAll(run.root() + "/NOMMon/Logs/SMSC.log");
    written.removeIf([](const QString& l) { return l.size() <= 18; });
    ASSERT_FALSE(written.isEmpty());
    EXPECT_EQ(monitor, LineFile::encodeLines({written.last()}));
    // Brindle.pin: the alive counter, moved on from its base (1) and short of
    // its wrap value (1000).
    const QByteArray pin = run.file(kConfigDir + "Brindle.pin");
    const auto counter = QRegularExpression("^(\\d+)\r\n$").match(QString::fromLatin1(pin));
    ASSERT_TRUE(counter.hasMatch()) << pin.toStdString();
    EXPECT_GE(counter.captured(1).toInt(), 2);
    EXPECT_LT(counter.captured(1).toInt(), 1000);
}

// The call drops after the first message, and the modem, back in command
// state, echoes whatever is sent to it; the log-off before the ninth message
// drops the call again. Texts that hold the SMSC's own answers must neither
// be taken for an acceptance nor for a rejection.
TEST(BrindleWithSimulator, ADroppedEchoingLineNeitherAcceptsNorLosesAnEntry) {
    SimRun run({"--drop-after", "1"});
    REQUIRE_SIMULATOR(run);
    QStringList queued = entries(9);
    queued[1].replace("Message number 2,", "Was number 2 successful?");
    queued[2].replace("Message number 3,", "Message send failed, try 3");
    queued[5].replace("Message number 6,", "successful Message send failed 6");
    run.queue(queued);
    run.startBrindle();
    ASSERT_TRUE(run.waitForBrindle(200000));
    EXPECT_EQ(run.state(), "COMPLETE");
    EXPECT_EQ(bytesOf(run.record()), recorded(queued));
    EXPECT_EQ(run.file(kConfigDir + "Brindle.out"), LineFile::encodeLines(queued));
    EXPECT_EQ(run.file(kConfigDir + "Brindle.tkn"), QByteArray());
    const QStringList log = run.log();
    EXPECT_EQ(log.count("Connection to SMSC lost"), 1);
    EXPECT_EQ(log.count("Dialling SMSC"), 3);
}

TEST(BrindleWithSimulator, UnreachableSmscEndsInCrashWithEveryEntryCarriedOver) {
    for (const char* fault : {"--busy", "--no-dialtone"}) {
        SCOPED_TRACE(fault);
        SimRun run({fault});
        REQUIRE_SIMULATOR(run);
        run.setConfigLine(22, "1");
        const QStringList queued = entries(3);
        run.queue(queued);
        run.startBrindle();
        ASSERT_TRUE(run.waitForBrindle(90000));
        EXPECT_EQ(run.state(), "CRASH");
        EXPECT_EQ(run.file(kConfigDir + "Brindle.rcv"), "\r\n" + LineFile::encodeLines(queued));
        EXPECT_EQ(run.file(kConfigDir + "Brindle.out"), QByteArray());
        EXPECT_EQ(run.file(kConfigDir + "Brindle.tkn"), QByteArray());
        const QStringList log = run.log();
        EXPECT_EQ(log.count("Failed to connect to SMSC"), 2);
        EXPECT_EQ(log.last(), "Cannot contact SMSC... Exiting");
    }
}

TEST(BrindleWithSimulator, ARejectedMessageIsDroppedAndTheRestSent) {
    SimRun run({"--reject-every", "2"});
    REQUIRE_SIMULATOR(run);
    run.setConfigLine(22, "1");
    const QStringList queued = entries(3);
    run.queue(queued);
    run.startBrindle();
    ASSERT_TRUE(run.waitForBrindle(120000));
    EXPECT_EQ(run.state(), "COMPLETE");
    const QStringList sent{queued[0], queued[2]};
    EXPECT_EQ(run.file(kConfigDir + "Brindle.out"), LineFile::encodeLines(sent));
    EXPECT_EQ(bytesOf(run.record()), recorded(sent));
    EXPECT_FALSE(run.file(kConfigDir + "Brindle.rcv").contains("number 2"));
    EXPECT_TRUE(run.log().contains("Message send failed"));
}

TEST(BrindleWithSimulator, AKilledBrindleIsFollowedByARunThatSendsEveryTakenEntry) {
    SimRun run({"--delay", "300"});
    REQUIRE_SIMULATOR(run);
    const QStringList queued = entries(6);
    run.queue(queued);
    run.startBrindle();
    // Killed once two messages are through, in the middle of its run.
    for (int i = 0; i < 600 && LineFile::readAll(run.record()).size() < 2; ++i)
        run.brindle().waitForFinished(100);
    ASSERT_EQ(run.brindle().state(), QProcess::Running);
    run.brindle().kill();
    run.brindle().waitForFinished(5000);
    EXPECT_EQ(run.file(kConfigDir + "Brindle.in"), QByteArray("\r\n"));
    // Whatever the dead run had taken and not yet recorded is in its journal.
    const std::optional<QStringList> journal =
        LineFile::tryReadAll(run.root() + "/" + kConfigDir + "Brindle.tkn");
    ASSERT_TRUE(journal.has_value());
    ASSERT_FALSE(journal->isEmpty());
    const QStringList accepted = LineFile::readAll(run.root() + "/" + kConfigDir + "Brindle.out");
    for (const QString& e : *journal)
        EXPECT_TRUE(queued.contains(e)) << e.toStdString();
    for (const QString& e : queued)
        EXPECT_TRUE(journal->contains(e) || accepted.contains(e)) << e.toStdString();

    run.startBrindle();
    ASSERT_TRUE(run.waitForBrindle(120000));
    EXPECT_EQ(run.state(), "COMPLETE");
    const QStringList out = LineFile::readAll(run.root() + "/" + kConfigDir + "Brindle.out");
    EXPECT_EQ(QSet<QString>(out.begin(), out.end()), QSet<QString>(queued.begin(), queued.end()));
    EXPECT_LE(out.size(), queued.size() + 1);
}
