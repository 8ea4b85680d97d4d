#pragma once

#include "HayesModem.h"
#include "LineBytes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Drives a HayesModem the way the pseudo-terminal loop does: bytes in at a
// time, then whatever is due at that time out, spelled readably.
struct ModemScript {
    explicit ModemScript(std::function<void(SimOptions&)> configure = {})
        : modem(makeOptions(configure)) {}

    std::string at(std::int64_t ms, const std::string& send) {
        modem.receive(lineBytes(send), ms);
        return due(ms);
    }
    std::string due(std::int64_t ms);

    // One row of an exchange: at `ms` send `send`, and exactly `expect` comes back.
    struct Step {
        std::int64_t ms;
        std::string send;
        std::string expect;
    };
    void run(const std::vector<Step>& steps);

    SimOptions options;
    HayesModem modem;
    std::vector<AcceptedMessage> accepted;
    std::vector<std::string> notes;

private:
    const SimOptions& makeOptions(const std::function<void(SimOptions&)>& configure) {
        if (configure)
            configure(options);
        return options;
    }
};

// Readable pieces of the exchanges.
namespace Line {
inline const std::string ok = "<CR><LF>OK<CR><LF>";
inline const std::string connect = "<CR><LF>CONNECT 9600<CR><LF>";
inline const std::string noCarrier = "<CR><LF>NO CARRIER<CR><LF>";
inline const std::string error = "<CR><LF>ERROR<CR><LF>";
inline const std::string banner = "110 1.8<CR>smscsim message centre<CR><ACK><CR>";
inline const std::string goAhead = "<ESC>[p<CR>";
inline const std::string accepted = "211 Transmission successful<CR><ACK><CR>";
inline const std::string rejected = "Message send failed<CR><RS><CR>";
inline const std::string nak = "<NAK><CR>";
inline const std::string logOffAnswer = "<ESC><EOT><CR>";
// "Hi" to +44 7700 900123: the codes add up to 821, checksum 3, 3, 5.
inline const std::string hiBlock = "<STX>447700900123<CR>Hi<CR><ETX>335<CR>";

// A block with its checksum worked out here, the long way round; number and
// text in the readable spelling.
std::string block(const std::string& number, const std::string& text);
} // namespace Line
