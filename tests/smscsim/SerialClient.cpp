#include "SerialClient.h"

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

bool SerialClient::open(const std::string& path) {
    close();
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    termios tio{};
    ::tcgetattr(m_fd, &tio);
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    return ::tcsetattr(m_fd, TCSANOW, &tio) == 0;
}

void SerialClient::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_buffer.clear();
}

bool SerialClient::send(const std::string& bytes) {
    return m_fd >= 0 && ::write(m_fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
}

bool SerialClient::readSome(int timeoutMs) {
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0)
        return false;
    // One byte at a time, so what comes after the awaited text stays unread
    // in the port, as a slow client would leave it.
    char byte = 0;
    if (::read(m_fd, &byte, 1) != 1)
        return false;
    m_buffer += byte;
    return true;
}

std::string SerialClient::expect(const std::string& until, int timeoutMs) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(timeoutMs);
    for (;;) {
        if (auto at = m_buffer.find(until); at != std::string::npos) {
            std::string got = m_buffer.substr(0, at + until.size());
            m_buffer.erase(0, at + until.size());
            return got;
        }
        auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0 || !readSome(int(left)))
            break;
    }
    std::string got;
    got.swap(m_buffer);
    return got;
}

std::string SerialClient::pending() {
    while (readSome(0)) {
    }
    std::string got;
    got.swap(m_buffer);
    return got;
}
