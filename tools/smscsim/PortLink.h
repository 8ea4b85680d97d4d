#pragma once

#include <string>

// A symbolic link to the pseudo-terminal under a stable name (for a port
// table), removed again when the simulator ends if it still points there.
class PortLink {
public:
    PortLink() = default;
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;
    ~PortLink() { remove(); }

    // An existing link at `path` is replaced; any other file there is refused.
    bool create(const std::string& target, const std::string& path, std::string& error);
    void remove();

private:
    std::string m_target;
    std::string m_path;
};
