#include "SimServer.h"

#include "StopSignals.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {
std::int64_t monotonicMs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Without a notice of opens from the kernel, look for a client this often.
constexpr std::int64_t kOpenPollMs = 50;
} // namespace

SimServer::SimServer(const SimOptions& options) : m_options(options), m_modem(options) {}

std::int64_t SimServer::elapsedMs() const {
    return monotonicMs() - m_startMs;
}

void SimServer::warn(const std::string& text) const {
    std::fprintf(stderr, "smscsim: %s\n", text.c_str());
}

bool SimServer::setUp() {
    std::string error;
    if (!m_options.recordPath.empty()) {
        m_record.emplace(m_options.recordPath);
        if (!m_record->check(error)) {
            warn(error);
            return false;
        }
    }
    if (!m_options.transcriptPath.empty() && !m_transcript.open(m_options.transcriptPath, error)) {
        warn(error);
        return false;
    }
    if (!m_pty.open(error)) {
        warn(error);
        return false;
    }
    if (!m_options.linkPath.empty() &&
        !m_link.create(m_pty.slavePath(), m_options.linkPath, error)) {
        warn(error);
        return false;
    }
    std::signal(SIGPIPE, SIG_IGN);
    m_signals = stopSignals();
    if (m_signals < 0) {
        warn("cannot watch for signals");
        return false;
    }
    return true;
}

int SimServer::run() {
    m_startMs = monotonicMs();
    if (!setUp())
        return 1;
    // The path line is the only thing on standard output, and it comes only
    // once everything is ready, so a launcher can open the port at once.
    std::printf("%s\n", m_pty.slavePath().c_str());
    std::fflush(stdout);
    m_transcript.note(elapsedMs(), "serving " + m_pty.slavePath());

    std::int64_t endMs = m_options.runForever ? -1 : m_options.lifetimeSeconds * 1000;
    serve(endMs);
    ::close(m_signals);
    return 0;
}

void SimServer::serve(std::int64_t endMs) {
    const bool notices = m_pty.noticeFd() >= 0;
    for (;;) {
        std::int64_t now = elapsedMs();
        if (endMs >= 0 && now >= endMs) {
            m_transcript.note(now, "lifetime over");
            warn("lifetime of " + std::to_string(m_options.lifetimeSeconds) + " s over, stopping");
            return;
        }
        if (!notices && !m_connected && m_pty.clientPresent())
            clientCame(now);
        if (m_connected)
            emit(now);

        std::int64_t wait = endMs >= 0 ? endMs - now : -1;
        auto limit = [&wait](std::int64_t ms) {
            ms = std::max<std::int64_t>(ms, 0);
            wait = wait < 0 ? ms : std::min(wait, ms);
        };
        pollfd fds[3] = {{m_signals, POLLIN, 0}, {m_pty.noticeFd(), POLLIN, 0}, {-1, 0, 0}};
        if (m_connected) {
            fds[2] = {m_pty.masterFd(), short(POLLIN | (m_output.empty() ? 0 : POLLOUT)), 0};
            if (auto due = m_modem.nextDeadlineMs())
                limit(*due - now);
        } else if (!notices) {
            limit(kOpenPollMs);
        }
        int timeout = wait < 0 ? -1 : int(std::min<std::int64_t>(wait, 60000));
        if (::poll(fds, 3, timeout) < 0 && errno != EINTR) {
            warn("poll failed, stopping");
            return;
        }
        now = elapsedMs();
        if (fds[0].revents) {
            m_transcript.note(now, "stopped by a signal");
            return;
        }
        if (fds[1].revents)
            takeNotices(now);
        if (m_connected && (fds[2].revents & POLLIN)) {
            std::string input;
            PseudoTerminal::Io io = m_pty.read(input);
            if (!input.empty()) {
                m_transcript.fromClient(now, input);
                m_modem.receive(input, now);
                emit(now);
            }
            if (io == PseudoTerminal::Io::HungUp)
                clientGone(now, true);
        } else if (m_connected && (fds[2].revents & (POLLHUP | POLLERR))) {
            clientGone(now, true);
        } else if (m_connected && (fds[2].revents & POLLOUT)) {
            flushOutput(now);
        }
    }
}

void SimServer::takeNotices(std::int64_t nowMs) {
    auto notices = m_pty.takeNotices();
    for (std::size_t i = 0; i < notices.size(); ++i) {
        if (notices[i] == PseudoTerminal::Notice::Opened) {
            if (++m_clients == 1)
                clientCame(nowMs);
        } else if (m_clients > 0 && --m_clients == 0) {
            // Closed and opened again before we looked: what waits on the line
            // may already be the new client's, so it stays for the new call.
            bool reopened = std::find(notices.begin() + long(i), notices.end(),
                                      PseudoTerminal::Notice::Opened) != notices.end();
            clientGone(nowMs, !reopened);
        }
    }
}

void SimServer::clientCame(std::int64_t nowMs) {
    if (m_connected)
        clientGone(nowMs, false);
    m_connected = true;
    m_modem.reset();
    m_transcript.note(nowMs, "port opened");
}

void SimServer::emit(std::int64_t nowMs) {
    Emission due = m_modem.takeDue(nowMs);
    for (const std::string& note : due.notes)
        m_transcript.note(nowMs, note);
    if (!due.bytes.empty()) {
        m_transcript.toClient(nowMs, due.bytes);
        // A client that does not read loses what does not fit, as on a real line.
        if (m_output.size() + due.bytes.size() <= HayesModem::kMaxPending)
            m_output += due.bytes;
        else
            m_transcript.note(nowMs, "client not reading: output dropped");
    }
    for (const AcceptedMessage& message : due.accepted) {
        std::string error;
        if (m_record && !m_record->append(message, error))
            warn(error);
    }
    flushOutput(nowMs);
}

void SimServer::flushOutput(std::int64_t nowMs) {
    if (m_connected && !m_output.empty() && m_pty.write(m_output) == PseudoTerminal::Io::HungUp)
        clientGone(nowMs, true);
}

void SimServer::clientGone(std::int64_t nowMs, bool dropUnread) {
    if (!m_connected)
        return;
    // What the client sent just before it closed cannot be answered any more.
    std::string rest;
    while (dropUnread && m_pty.read(rest) == PseudoTerminal::Io::Ok) {
    }
    if (!rest.empty())
        m_transcript.fromClient(nowMs, rest);
    m_transcript.note(nowMs, "port closed by the client: hang-up");
    m_connected = false;
    m_output.clear();
    m_modem.reset();
    m_pty.discardStale();
}
