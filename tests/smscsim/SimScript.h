#pragma once

#include "ByteText.h"
#include "HayesModem.h"

#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

// Line bytes spelled as the transcript spells them: "ATZ<CR>", "<x80>".
inline std::string lineBytes(std::string_view readable) {
    std::string out;
    for (std::size_t i = 0; i < readable.size();) {
        std::size_t close = i;
        if (readable[i] == '<' && (close = readable.find('>', i)) == std::string_view::npos)
            throw std::invalid_argument("unclosed < in test bytes");
        const std::string_view name = readable.substr(i, close - i + 1);
        i = close + 1;
        int c = name.size() == 1 ? static_cast<unsigned char>(name[0]) : 0;
        while (name.size() > 1 && c < 256 && ByteText::readable(std::string(1, char(c))) != name)
            ++c;
        if (c == 256)
            throw std::invalid_argument("unknown byte name in test bytes");
        out += char(c);
    }
    return out;
}

// Drives a HayesModem as the pseudo-terminal loop does: bytes in at a time,
// then what is due at that time out, spelled readably.
struct ModemScript {
    // The modem reads its options as it goes: they can change at any step.
    explicit ModemScript(const std::function<void(SimOptions&)>& configure = {}) : modem(options) {
        if (configure)
            configure(options);
    }

    std::string at(std::int64_t ms, const std::string& send) {
        modem.receive(lineBytes(send), ms);
        return due(ms);
    }
    std::string due(std::int64_t ms) {
        Emission out = modem.takeDue(ms);
        accepted.insert(accepted.end(), out.accepted.begin(), out.accepted.end());
        return ByteText::readable(out.bytes);
    }
    // One row of an exchange: at `ms` send `send`, and exactly `expect` comes back.
    struct Step {
        std::int64_t ms;
        std::string send, expect;
    };
    void run(const std::vector<Step>& steps) {
        for (std::size_t i = 0; i < steps.size(); ++i)
            EXPECT_EQ(at(steps[i].ms, steps[i].send), steps[i].expect) << "step " << i + 1;
    }

    SimOptions options;
    HayesModem modem;
    std::vector<AcceptedMessage> accepted;
};

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

// A block with its checksum worked out here, the long way round.
inline std::string block(const std::string& number, const std::string& text) {
    const std::string body = "\x02" + lineBytes(number) + "\r" + lineBytes(text) + "\r\x03";
    int sum = 0;
    for (unsigned char c : body)
        sum += c;
    sum %= 4096;
    const std::string check = {char(48 + sum / 256), char(48 + sum % 256 / 16),
                               char(48 + sum % 16)};
    return ByteText::readable(body + check + "\r");
}
} // namespace Line
