#pragma once

#include "HayesModem.h"
#include "MessageRecord.h"
#include "PortLink.h"
#include "PseudoTerminal.h"
#include "SimOptions.h"
#include "Transcript.h"

#include <cstdint>
#include <optional>
#include <string>

// The thin layer around the modem: the pseudo-terminal, the poll loop, the
// files, the signals and the lifetime.
class SimServer {
public:
    explicit SimServer(const SimOptions& options);
    // Sets up, prints the port's path on standard output, serves clients
    // until the lifetime is over or a signal comes; returns the exit status.
    int run();

private:
    bool setUp();
    void serve(std::int64_t endMs);
    void clientCame(std::int64_t nowMs);
    void clientGone(std::int64_t nowMs, bool dropUnread);
    void takeNotices(std::int64_t nowMs);
    void emit(std::int64_t nowMs);
    void flushOutput(std::int64_t nowMs);
    std::int64_t elapsedMs() const;
    void warn(const std::string& text) const;

    const SimOptions& m_options;
    HayesModem m_modem;
    PseudoTerminal m_pty;
    PortLink m_link;
    Transcript m_transcript;
    std::optional<MessageRecord> m_record;
    int m_signals = -1;
    std::int64_t m_startMs = 0;
    bool m_connected = false;
    int m_clients = 0; // open descriptions of the slave, from the notices
    std::string m_output;
};
