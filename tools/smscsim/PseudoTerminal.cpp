#include "PseudoTerminal.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::~PseudoTerminal() {
    for (int fd : {m_watch, m_ownSlave, m_master})
        if (fd >= 0)
            ::close(fd);
}

bool PseudoTerminal::open(std::string& error) {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        error = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[PATH_MAX];
    if (::ptsname_r(m_master, name, sizeof name) != 0) {
        error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    m_slavePath = name;
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);

    // Raw from the start, so a client that sets nothing still gets every byte
    // unchanged.
    int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        error = std::string("cannot open ") + name + ": " + std::strerror(errno);
        return false;
    }
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    ::tcsetattr(slave, TCSANOW, &tio);

    // Watched only after our own open, so that open never counts as a client.
    m_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watch >= 0 &&
        ::inotify_add_watch(m_watch, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        ::close(m_watch);
        m_watch = -1;
    }
    if (m_watch >= 0) {
        m_ownSlave = slave;
    } else {
        // Closing puts the master into the hung-up state it has between clients.
        ::close(slave);
    }
    return true;
}

std::vector<PseudoTerminal::Notice> PseudoTerminal::takeNotices() {
    std::vector<Notice> notices;
    if (m_watch < 0)
        return notices;
    alignas(inotify_event) char buf[4096];
    for (;;) {
        ssize_t n = ::read(m_watch, buf, sizeof buf);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buf + at);
            if (event->mask & IN_OPEN)
                notices.push_back(Notice::Opened);
            if (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE))
                notices.push_back(Notice::Closed);
            at += ssize_t(sizeof(inotify_event)) + event->len;
        }
    }
    return notices;
}

bool PseudoTerminal::clientPresent() const {
    pollfd p{m_master, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return false;
    return (p.revents & POLLIN) || !(p.revents & POLLHUP);
}

PseudoTerminal::Io PseudoTerminal::read(std::string& into) {
    char buf[4096];
    ssize_t n = ::read(m_master, buf, sizeof buf);
    if (n > 0) {
        into.append(buf, static_cast<std::size_t>(n));
        return Io::Ok;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return Io::WouldBlock;
    return Io::HungUp; // EIO: the last client closed the slave
}

PseudoTerminal::Io PseudoTerminal::write(std::string& bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(m_master, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.erase(0, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return Io::WouldBlock;
        return Io::HungUp;
    }
    return Io::Ok;
}

void PseudoTerminal::discardStale() {
    // Bytes the client never read wait in the slave's input queue, and only a
    // flush on the slave side removes them.
    if (m_ownSlave >= 0) {
        ::tcflush(m_ownSlave, TCIFLUSH);
        return;
    }
    int slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave >= 0) {
        ::tcflush(slave, TCIFLUSH);
        ::close(slave);
    }
}
