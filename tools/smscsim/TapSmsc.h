#pragma once

#include "SimOptions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace TapByte {
constexpr char STX = 2;
constexpr char ETX = 3;
constexpr char EOT = 4;
constexpr char ACK = 6;
constexpr char CR = 13;
constexpr char DC1 = 17;
constexpr char NAK = 21;
constexpr char ESC = 27;
constexpr char RS = 30;
} // namespace TapByte

struct AcceptedMessage {
    std::string number;
    std::string text;
};

// What the message centre does in answer to one byte.
struct TapReply {
    std::string bytes;
    std::optional<AcceptedMessage> accepted;
    bool dropLine = false; // the carrier goes once `bytes` are out
    std::string note;      // for the transcript
};

// The message centre behind the modem: log-on prompt, go-ahead, block and
// checksum check, answers and log-off. Pure: one byte in, a reply out. The
// counters behind the fault switches run over the whole life of the object,
// across calls.
class TapSmsc {
public:
    static constexpr std::size_t kMaxLine = 256;
    static constexpr std::size_t kMaxBlock = 1024;

    explicit TapSmsc(const SimOptions& options) : m_options(options) {}

    // A new call has connected: prompt for the log-on again.
    void startCall();
    TapReply receive(char byte);

    // The three checksum characters of a block, from the sum of its codes
    // from STX through ETX.
    static std::string checksum(std::uint32_t sum);

private:
    enum class Phase { Prompting, LoggedOn, InBlock, AfterEtx, Ended };

    TapReply promptLine();
    TapReply logOff();
    TapReply endOfBlock();
    TapReply reject(std::string note);
    void startBlock();

    const SimOptions& m_options;
    Phase m_phase = Phase::Prompting;
    bool m_goAhead = false;
    bool m_eotPending = false;
    std::string m_line;
    bool m_lineOverflow = false;
    std::string m_block;
    bool m_blockOverflow = false;
    std::uint32_t m_sum = 0;
    std::string m_check;
    int m_goodBlocks = 0;
    int m_accepted = 0;
    bool m_dropped = false;
};
