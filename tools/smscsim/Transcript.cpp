#include "Transcript.h"

#include "ByteText.h"
#include "WriteAll.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

Transcript::~Transcript() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool Transcript::open(const std::string& path, std::string& error) {
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd < 0)
        error = "cannot write the transcript " + path + ": " + std::strerror(errno);
    return m_fd >= 0;
}

std::string Transcript::line(std::int64_t ms, std::string_view tag, std::string_view text) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%8lld.%03lld ", static_cast<long long>(ms / 1000),
                  static_cast<long long>(ms % 1000));
    return std::string(stamp) + std::string(tag) + " " + std::string(text) + "\n";
}

void Transcript::fromClient(std::int64_t ms, std::string_view bytes) {
    write(ms, ">>", ByteText::readable(bytes));
}

void Transcript::toClient(std::int64_t ms, std::string_view bytes) {
    write(ms, "<<", ByteText::readable(bytes));
}

void Transcript::note(std::int64_t ms, std::string_view text) {
    write(ms, "--", text);
}

void Transcript::write(std::int64_t ms, std::string_view tag, std::string_view text) {
    if (m_fd >= 0)
        writeAll(m_fd, line(ms, tag, text));
}
