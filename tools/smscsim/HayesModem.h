#pragma once

#include "SimOptions.h"
#include "TapSmsc.h"

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What is due on the line at one moment: bytes for the client, the messages
// whose acceptance those bytes carry, and notes for the transcript.
struct Emission {
    std::string bytes;
    std::vector<AcceptedMessage> accepted;
    std::vector<std::string> notes;
};

// A Hayes modem with a TAP message centre behind its dial. Pure: bytes and the
// time in, bytes out; the time only matters for "+++" and for the answer
// delay, so tests drive it with any clock they like.
class HayesModem {
public:
    enum class State { Command, Dialling, Online, OnlineCommand };
    static constexpr std::size_t kMaxCommandLine = 255;
    static constexpr std::size_t kMaxPending = 64 * 1024;

    explicit HayesModem(const SimOptions& options);

    // The client opened or closed the port: the call (if any) ends and the
    // modem is back to its power-on state. Counters behind the faults stay.
    void reset();
    void receive(std::string_view bytes, std::int64_t nowMs);
    // Everything due at `nowMs`, in the order it was produced.
    Emission takeDue(std::int64_t nowMs);
    // When takeDue next has something to do without new input.
    std::optional<std::int64_t> nextDeadlineMs() const;

    State state() const { return m_state; }
    bool echo() const { return m_echo; }
    int dials() const { return m_dials; }

private:
    struct Pending {
        std::int64_t dueMs;
        std::string bytes;
        std::optional<AcceptedMessage> accepted;
        std::string note;
    };

    void advance(std::int64_t nowMs);
    void commandByte(char byte, std::int64_t nowMs);
    void onlineByte(char byte, std::int64_t nowMs);
    void runCommandLine(std::int64_t nowMs);
    // Runs the commands after "AT"; returns the result text, empty for none.
    std::string execute(std::string_view commands, std::int64_t nowMs);
    std::string dial(std::string_view number, std::int64_t nowMs);
    void goOnline(std::int64_t nowMs);
    void abortDial(std::int64_t nowMs);
    void hangUp(const std::string& why, std::int64_t nowMs);
    void restoreSettings();
    void answer(std::string bytes, std::int64_t nowMs, std::optional<AcceptedMessage> accepted = {},
                std::string note = {});
    void result(const std::string& text, std::int64_t nowMs, std::string note = {});
    void note(std::string text, std::int64_t nowMs);
    void push(Pending item);

    const SimOptions& m_options;
    TapSmsc m_smsc;
    State m_state = State::Command;
    bool m_echo = true;
    std::string m_line;
    bool m_lineOverflow = false;
    std::array<unsigned char, 256> m_registers{};
    std::deque<Pending> m_pending;
    std::size_t m_pendingBytes = 0;
    int m_dials = 0;

    // "+++" escape: silence before, three pluses, silence after.
    std::int64_t m_lastDataMs = 0;
    std::int64_t m_lastPlusMs = 0;
    int m_plusCount = 0;
    std::optional<std::int64_t> m_escapeAtMs;

    // A dial that connects later (--connect-delay), and its transcript note.
    std::optional<std::int64_t> m_connectAtMs;
    std::string m_dialNote;
};
