#include "SerialClient.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

// The real program on a real pseudo-terminal, driven like a serial port.
namespace {
const std::string kOk = "\r\nOK\r\n";

class Smscsim {
public:
    explicit Smscsim(QStringList args) {
        m_process.start(SMSCSIM_PATH, args);
        if (!m_process.waitForStarted(5000))
            return;
        while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
        }
        path = QString::fromLocal8Bit(m_process.readLine()).trimmed().toStdString();
    }
    ~Smscsim() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    // Asks it to stop; returns its exit code, -1 if it did not stop in time.
    int stop() {
        ::kill(pid_t(m_process.processId()), SIGTERM);
        return finished();
    }
    int finished(int timeoutMs = 10000) {
        if (!m_process.waitForFinished(timeoutMs) || m_process.exitStatus() != QProcess::NormalExit)
            return -1;
        return m_process.exitCode();
    }
    QString errors() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }

    std::string path;

private:
    QProcess m_process;
};

std::string fileText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll().toStdString();
}

int occurrences(const std::string& in, const std::string& text) {
    int n = 0;
    for (auto at = in.find(text); at != std::string::npos; at = in.find(text, at + text.size()))
        ++n;
    return n;
}

// Blocks on the file's change notices (no sleeps) until it holds `text`
// `times` times.
bool waitForText(const QString& path, const std::string& text, int times = 1,
                 int timeoutMs = 5000) {
    int fd = ::inotify_init1(IN_CLOEXEC);
    ::inotify_add_watch(fd, path.toLocal8Bit().constData(), IN_MODIFY);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool found = false;
    while (!(found = occurrences(fileText(path), text) >= times)) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, int(left)) <= 0)
            break;
        char buf[4096];
        [[maybe_unused]] auto n = ::read(fd, buf, sizeof buf);
    }
    ::close(fd);
    return found;
}

bool exists(const QString& path) {
    struct stat st {};
    return ::lstat(path.toLocal8Bit().constData(), &st) == 0;
}
} // namespace

TEST(SmscsimProcess, DialLogOnSendOneMessageAndLogOff) {
    QTemporaryDir dir;
    const QString record = dir.filePath("record.txt");
    const QString link = dir.filePath("COM1");
    const QString transcript = dir.filePath("transcript.txt");
    Smscsim sim(
        {"--record", record, "--link", link, "--transcript", transcript, "--lifetime", "60"});
    ASSERT_EQ(sim.path.rfind("/dev/pts/", 0), 0u) << sim.path << sim.errors().toStdString();

    SerialClient port;
    ASSERT_TRUE(port.open(link.toStdString())) << "the link leads to the port";
    port.send("ATZ\r");
    EXPECT_EQ(port.expect("OK\r\n"), "ATZ\r" + kOk);
    port.send("ATDT0123456\r");
    EXPECT_EQ(port.expect("CONNECT 9600\r\n"), "ATDT0123456\r\r\nCONNECT 9600\r\n");
    port.send("\x11\x04\r");
    EXPECT_EQ(port.expect("ID="), "ID=");
    port.send("\x1bPG1\r");
    EXPECT_EQ(port.expect("\x1b[p\r"), "110 1.8\rsmscsim message centre\r\x06\r\x1b[p\r");
    port.send("\x02"
              "447700900123\rHi\r\x03"
              "335\r");
    EXPECT_EQ(port.expect("\x06\r"), "211 Transmission successful\r\x06\r");
    EXPECT_EQ(fileText(record), "447700900123\tHi\n") << "recorded before the answer went out";
    port.send("\x04\r");
    EXPECT_EQ(port.expect("NO CARRIER\r\n"), "\x1b\x04\r\r\nNO CARRIER\r\n");
    port.close();

    EXPECT_EQ(sim.stop(), 0);
    EXPECT_FALSE(exists(link)) << "the link goes with the simulator";
    const std::string log = fileText(transcript);
    EXPECT_NE(log.find(">> <STX>447700900123<CR>Hi<CR><ETX>335<CR>\n"), std::string::npos) << log;
    EXPECT_NE(log.find("<< 211 Transmission successful<CR><ACK><CR>\n"), std::string::npos) << log;
}

TEST(SmscsimProcess, ClosingThePortHangsUpEvenWhenReopenedAtOnce) {
    // Answers come 100 ms late, so each close lands while one is still owed.
    QTemporaryDir dir;
    const QString transcript = dir.filePath("transcript.txt");
    Smscsim sim({"--lifetime", "60", "--delay", "100", "--transcript", transcript});
    ASSERT_FALSE(sim.path.empty()) << sim.errors().toStdString();
    SerialClient port;
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_TRUE(port.open(sim.path));
        // Bytes written before the simulator has seen the new open could be
        // taken for the last client's, which are dropped with its call.
        ASSERT_TRUE(waitForText(transcript, "-- port opened\n", round + 1));
        port.send("AT\r");
        ASSERT_EQ(port.expect(kOk), "AT\r" + kOk)
            << "echo on and command state: the last call was hung up, its answer dropped";
        port.send("ATDT1\r");
        ASSERT_EQ(port.expect("ATDT1\r"), "ATDT1\r");
        port.close();
    }
    EXPECT_EQ(sim.stop(), 0);
}

TEST(SmscsimProcess, AnswersLeftUnreadDoNotGreetTheNextClient) {
    QTemporaryDir dir;
    const QString transcript = dir.filePath("transcript.txt");
    Smscsim sim({"--lifetime", "60", "--transcript", transcript});
    ASSERT_FALSE(sim.path.empty()) << sim.errors().toStdString();
    SerialClient port;
    ASSERT_TRUE(port.open(sim.path));
    port.send("ATI\r");
    ASSERT_EQ(port.expect("ATI\r"), "ATI\r") << "the rest of the answer stays in the port";
    port.close();
    ASSERT_TRUE(waitForText(transcript, "-- port closed by the client: hang-up\n"));
    ASSERT_TRUE(port.open(sim.path));
    port.send("AT\r");
    EXPECT_EQ(port.expect(kOk), "AT\r" + kOk);
    EXPECT_EQ(sim.stop(), 0);
}

TEST(SmscsimProcess, QtSerialPortOpensItAgainAndAgain) {
    QTemporaryDir dir;
    const QString link = dir.filePath("COM1");
    Smscsim sim({"--lifetime", "60", "--link", link});
    ASSERT_FALSE(sim.path.empty());
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        QSerialPort port(QFileInfo(link).canonicalFilePath());
        port.setBaudRate(9600);
        port.setDataBits(QSerialPort::Data7);
        port.setParity(QSerialPort::NoParity);
        port.setStopBits(QSerialPort::OneStop);
        ASSERT_TRUE(port.open(QIODevice::ReadWrite)) << port.errorString().toStdString();
        auto command = [&port](const char* line, const char* until) {
            port.write(line);
            QByteArray got;
            while (!got.contains(until) && port.waitForReadyRead(5000))
                got += port.readAll();
            return got.toStdString();
        };
        EXPECT_EQ(command("ATZ\r", "OK\r\n"), "ATZ\r" + kOk);
        // Closed on line: the next round must find the modem hung up.
        EXPECT_EQ(command("ATDT1\r", "9600\r\n"), "ATDT1\r\r\nCONNECT 9600\r\n");
        port.close();
    }
    EXPECT_EQ(sim.stop(), 0);
}

TEST(SmscsimProcess, LifetimeEndsTheRunByItself) {
    QTemporaryDir dir;
    const QString link = dir.filePath("COM1");
    Smscsim sim({"--lifetime", "1", "--link", link});
    ASSERT_FALSE(sim.path.empty());
    EXPECT_TRUE(exists(link));
    EXPECT_EQ(sim.finished(), 0);
    EXPECT_FALSE(exists(link));
    EXPECT_EQ(sim.errors(), "smscsim: lifetime of 1 s over, stopping\n");
}

TEST(SmscsimProcess, RefusesBadUseWithAReason) {
    QTemporaryDir dir;
    const QString file = dir.filePath("plain");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    struct Case {
        QStringList args;
        int code;
        QString error;
    };
    const std::vector<Case> cases = {
        {{"--bogus"}, 2, "smscsim: unknown option '--bogus'\nTry 'smscsim --help'.\n"},
        {{"--link", file},
         1,
         "smscsim: " + file + " exists and is not a symbolic link; not replacing it\n"},
        {{"--record", dir.filePath("no/such/record")},
         1,
         "smscsim: cannot append to " + dir.filePath("no/such/record") +
             ": No such file or directory\n"},
    };
    for (const Case& c : cases) {
        QProcess p;
        p.start(SMSCSIM_PATH, c.args);
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitCode(), c.code);
        EXPECT_EQ(QString::fromLocal8Bit(p.readAllStandardError()), c.error);
        EXPECT_TRUE(p.readAllStandardOutput().isEmpty()) << "no port path when nothing is served";
    }
    QProcess help;
    help.start(SMSCSIM_PATH, {"--help"});
    ASSERT_TRUE(help.waitForFinished(10000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().startsWith("Usage: smscsim [OPTION]...\n"));
}
