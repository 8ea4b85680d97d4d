#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A readable log of the line: one line per chunk of bytes, each with the
// seconds since start and a direction (">>" from the client, "<<" to it, "--"
// for what happened), control bytes spelled out.
class Transcript {
public:
    Transcript() = default;
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;
    ~Transcript();

    bool open(const std::string& path, std::string& error);
    void fromClient(std::int64_t ms, std::string_view bytes);
    void toClient(std::int64_t ms, std::string_view bytes);
    void note(std::int64_t ms, std::string_view text);

    static std::string line(std::int64_t ms, std::string_view tag, std::string_view text);

private:
    void write(std::int64_t ms, std::string_view tag, std::string_view text);
    int m_fd = -1;
};
