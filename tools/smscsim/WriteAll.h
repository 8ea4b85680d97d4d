#pragma once

#include <cerrno>
#include <string_view>
#include <unistd.h>

// Writes all of `bytes` to a blocking descriptor, riding over interruptions.
inline bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}
