#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Everything the command line of smscsim sets: where it reports, how long it
// lives, and which faults the modem and the message centre play.
struct SimOptions {
    enum class DialFault { None, NoDialtone, Busy, NoCarrier };
    enum class AnswerStyle { Successful, Terse, CapitalS, Unterminated };

    std::string linkPath;
    std::string recordPath;
    std::string transcriptPath;
    std::int64_t lifetimeSeconds = 3600;
    bool runForever = false; // "forever" is a macro where Qt is included
    bool help = false;

    std::int64_t delayMs = 0;
    std::int64_t connectDelaySeconds = 0; // from a dial to its CONNECT
    std::int64_t guardMs = 1000;
    DialFault dialFault = DialFault::None;
    int faultyDials = -1; // -1: every dial
    bool silentModem = false;
    bool garbage = false; // line noise before every answer
    bool noId = false;
    bool noGoAhead = false;
    int rejectEvery = 0; // 0: never
    AnswerStyle answerStyle = AnswerStyle::Successful;
    int silentAfter = -1;  // -1: never
    int dropAfter = -1;    // -1: never
    std::string nakNumber; // blocks for this number are answered NAK; empty: none

    // Playing ModemManager on a bus instead of a modem on a pseudo-terminal.
    bool modemManager = false;
    std::string busAddress; // empty: the system bus
    bool mmNotRegistered = false;
    bool mmLocked = false;
    bool mmDisabled = false;
    int mmRejectEvery = 0; // 0: never
    std::int64_t mmSendDelayMs = 0;
    int mmRemoveAfter = -1; // -1: never
    std::int64_t mmReportAfterSeconds = 1;
    bool mmNoReport = false;

    bool operator==(const SimOptions&) const = default;

    // Fills `options` from the arguments (without the program name); on a
    // usage error returns false with a one-line reason in `error`.
    static bool parse(const std::vector<std::string>& args, SimOptions& options,
                      std::string& error);
    static std::string usage();
};
