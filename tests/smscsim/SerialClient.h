#pragma once

#include <string>

// A client of the simulator's port as a serial program would be: the path
// opened raw, bytes written, answers awaited with a time-out (never a sleep).
class SerialClient {
public:
    SerialClient() = default;
    SerialClient(const SerialClient&) = delete;
    SerialClient& operator=(const SerialClient&) = delete;
    ~SerialClient() { close(); }

    bool open(const std::string& path);
    void close();
    bool send(const std::string& bytes);
    // Everything up to and including `until`, taken from what arrived; what
    // arrived by the time-out when `until` never comes.
    std::string expect(const std::string& until, int timeoutMs = 5000);
    // Whatever is there now, without waiting.
    std::string pending();

private:
    bool readSome(int timeoutMs);
    int m_fd = -1;
    std::string m_buffer;
};
