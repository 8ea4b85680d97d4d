#include "MessageRecord.h"

#include "ByteText.h"
#include "WriteAll.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
int openForAppend(const std::string& path, std::string& error) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        error = "cannot append to " + path + ": " + std::strerror(errno);
    return fd;
}
} // namespace

std::string MessageRecord::line(const AcceptedMessage& message) {
    return ByteText::recordField(message.number) + '\t' + ByteText::recordField(message.text) +
           '\n';
}

bool MessageRecord::check(std::string& error) const {
    int fd = openForAppend(m_path, error);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool MessageRecord::append(const AcceptedMessage& message, std::string& error) const {
    int fd = openForAppend(m_path, error);
    if (fd < 0)
        return false;
    // One write per line: with O_APPEND a reader never sees half a line.
    bool ok = writeAll(fd, line(message));
    if (!ok)
        error = "cannot write to " + m_path + ": " + std::strerror(errno);
    ::close(fd);
    return ok;
}
