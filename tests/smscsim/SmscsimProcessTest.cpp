// The real program on a real pseudo-terminal, driven like a serial port.
#include "support/SmscsimProcess.h"
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {
using namespace std::chrono;
const std::string kOk = "\r\nOK\r\n";

// A serial program on the port (the simulator makes it raw), reading one
// byte at a time, so what follows the awaited text stays unread in the port.
class Port {
public:
    explicit Port(const std::string& path) : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY)) {}
    ~Port() { ::close(m_fd); }
    // Sends `bytes`, then returns what came up to and including `until`.
    std::string ask(const std::string& bytes, const std::string& until) {
        EXPECT_EQ(::write(m_fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        std::string got;
        const auto deadline = steady_clock::now() + seconds(5);
        pollfd p{m_fd, POLLIN, 0};
        char c = 0;
        while (got.find(until) == std::string::npos && steady_clock::now() < deadline &&
               ::poll(&p, 1, 100) >= 0)
            if (p.revents & POLLIN && ::read(m_fd, &c, 1) == 1)
                got += c;
        return got;
    }

private:
    int m_fd;
};

// Blocks on the file's change notices until it holds `text` `times` times.
bool waitForText(const QString& path, const QByteArray& text, int times) {
    const int fd = ::inotify_init1(IN_CLOEXEC);
    ::inotify_add_watch(fd, QFile::encodeName(path).constData(), IN_MODIFY);
    const auto deadline = steady_clock::now() + seconds(5);
    QFile f(path);
    pollfd p{fd, POLLIN, 0};
    char buf[4096];
    bool found = false;
    while (!(found = f.open(QIODevice::ReadOnly) && f.readAll().count(text) >= times) &&
           steady_clock::now() < deadline && ::poll(&p, 1, 100) >= 0) {
        f.close();
        if (p.revents & POLLIN) [[maybe_unused]]
            auto n = ::read(fd, buf, sizeof buf);
    }
    ::close(fd);
    return found;
}

} // namespace

// Answers come 100 ms late, so each close lands while one is still owed; and
// what a client left unread is not for the next one.
TEST(SmscsimProcess, ClosingThePortHangsUpEvenWhenReopenedAtOnce) {
    QTemporaryDir dir;
    const QString transcript = dir.filePath("transcript.txt");
    SmscsimProcess sim(SMSCSIM_PATH, {"--delay", "100", "--transcript", transcript});
    ASSERT_FALSE(sim.pty.isEmpty()) << sim.errors().toStdString();
    for (int round = 1; round <= 10; ++round) {
        SCOPED_TRACE(round);
        Port port(sim.pty.toStdString());
        // Bytes written before the simulator has seen the new open could be
        // taken for the last client's, which are dropped with its call.
        ASSERT_TRUE(waitForText(transcript, "-- port opened\n", round));
        ASSERT_EQ(port.ask("AT\r", kOk), "AT\r" + kOk) << "echo on and command state";
        if (round % 2)
            ASSERT_EQ(port.ask("ATDT1\r", "\r"), "ATDT1\r"); // closed with an answer owed
        else
            ASSERT_EQ(port.ask("ATI\r", "smscsim"), "ATI\r\r\nsmscsim"); // the rest left unread
    }
    EXPECT_EQ(sim.finish(true), 0);
}

TEST(SmscsimProcess, LifetimeAndBadUse) {
    QTemporaryDir dir;
    const QString link = dir.filePath("COM1");
    SmscsimProcess sim(SMSCSIM_PATH, {"--lifetime", "1", "--link", link});
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(sim.finish(false), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(sim.errors(), "smscsim: lifetime of 1 s over, stopping\n");

    QFile(dir.filePath("plain")).open(QIODevice::WriteOnly);
    const std::vector<std::tuple<QStringList, int, QString>> cases = {
        {{"--bogus"}, 2, "smscsim: unknown option '--bogus'\nTry 'smscsim --help'.\n"},
        {{"--link", dir.filePath("plain")},
         1,
         "smscsim: " + dir.filePath("plain") +
             " exists and is not a symbolic link; not replacing it\n"},
        {{"--help"}, 0, ""},
    };
    for (const auto& [args, code, error] : cases) {
        QProcess p;
        p.start(SMSCSIM_PATH, args);
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitCode(), code);
        EXPECT_EQ(QString::fromLocal8Bit(p.readAllStandardError()), error);
        EXPECT_EQ(p.readAllStandardOutput().startsWith("Usage: smscsim [OPTION]...\n"), code == 0)
            << "no port path when nothing is served";
    }
}
