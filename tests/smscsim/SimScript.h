#pragma once

#include "HayesModem.h"
#include "support/LineBytes.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

// Drives a HayesModem as the pseudo-terminal loop does: bytes in at a time,
// then what is due at that time out, in the transcript's spelling.
struct ModemScript {
    // `options` as on the simulator's command line; the modem reads them as it goes.
    explicit ModemScript(const std::string& arguments = "") : modem(options) {
        std::vector<std::string> words;
        std::istringstream in(arguments);
        for (std::string w; in >> w;)
            words.push_back(w);
        std::string error;
        EXPECT_TRUE(SimOptions::parse(words, options, error)) << error;
    }

    std::string at(std::int64_t ms, const std::string& send) {
        modem.receive(lineBytes(expand(send)), ms);
        return due(ms);
    }
    std::string due(std::int64_t ms) {
        Emission out = modem.takeDue(ms);
        accepted.insert(accepted.end(), out.accepted.begin(), out.accepted.end());
        return ByteText::readable(out.bytes);
    }
    // Steps "[@ms ]sent => what comes back" joined by " | "; exactly that must
    // come back. {ok}, {connect}, ... stand for the usual answers, {hi} for a
    // block of "Hi"; @ms carries on from the step before. "close" closes the
    // port.
    void play(const std::string& steps) {
        std::size_t from = 0;
        for (int step = 1; from <= steps.size(); ++step) {
            std::size_t end = steps.find(" | ", from);
            std::string s = steps.substr(from, end == std::string::npos ? end : end - from);
            from = end == std::string::npos ? steps.size() + 1 : end + 3;
            if (s.rfind('@', 0) == 0) {
                m_ms = std::stoll(s.substr(1));
                s.erase(0, s.find(' ') + 1);
            }
            const std::size_t arrow = s.find("=>");
            std::string sent = s.substr(0, arrow == 0 ? 0 : arrow - 1);
            if (sent == "close") {
                modem.reset();
                sent.clear();
            }
            EXPECT_EQ(at(m_ms, sent), expand(s.substr(arrow + 2 + (arrow + 2 < s.size()))))
                << "step " << step << ": " << s;
        }
    }
    static std::string expand(std::string text) {
        static const std::pair<const char*, const char*> names[] = {
            {"{ok}", "<CR><LF>OK<CR><LF>"},
            {"{connect}", "<CR><LF>CONNECT 9600<CR><LF>"},
            {"{noCarrier}", "<CR><LF>NO CARRIER<CR><LF>"},
            {"{error}", "<CR><LF>ERROR<CR><LF>"},
            {"{banner}", "110 1.8<CR>smscsim message centre<CR><ACK><CR><ESC>[p<CR>"},
            {"{accepted}", "211 Transmission successful<CR><ACK><CR>"},
            {"{rejected}", "Message send failed<CR><RS><CR>"},
            {"{nak}", "<NAK><CR>"},
            // "Hi" to +44 7700 900123: the codes add up to 821, checksum 3, 3, 5.
            {"{hi}", "<STX>447700900123<CR>Hi<CR><ETX>335<CR>"}};
        for (const auto& [name, bytes] : names)
            for (std::size_t at; (at = text.find(name)) != std::string::npos;)
                text.replace(at, std::string(name).size(), bytes);
        return text;
    }

    SimOptions options;
    HayesModem modem;
    std::vector<AcceptedMessage> accepted;

private:
    std::int64_t m_ms = 0;
};

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
