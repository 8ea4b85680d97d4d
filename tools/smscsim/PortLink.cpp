#include "PortLink.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

bool PortLink::create(const std::string& target, const std::string& path, std::string& error) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = path + " exists and is not a symbolic link; not replacing it";
        return false;
    }
    // Made aside and renamed over, so a client never finds the name missing.
    const std::string temp = path + ".smscsim-" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(target.c_str(), temp.c_str()) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot make the link " + path + ": " + std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    m_target = target;
    m_path = path;
    return true;
}

void PortLink::remove() {
    if (m_path.empty())
        return;
    char buf[PATH_MAX];
    ssize_t n = ::readlink(m_path.c_str(), buf, sizeof buf - 1);
    // A later simulator may have taken the name over; leave its link alone.
    if (n >= 0 && std::string(buf, static_cast<std::size_t>(n)) == m_target)
        ::unlink(m_path.c_str());
    m_path.clear();
}
