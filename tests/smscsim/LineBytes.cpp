#include "LineBytes.h"

#include <array>
#include <stdexcept>

namespace {
constexpr std::array<std::string_view, 32> kNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
}

std::string lineBytes(std::string_view readable) {
    std::string out;
    for (std::size_t i = 0; i < readable.size();) {
        if (readable[i] != '<') {
            out += readable[i++];
            continue;
        }
        auto close = readable.find('>', i);
        if (close == std::string_view::npos)
            throw std::invalid_argument("unclosed < in test bytes");
        std::string_view name = readable.substr(i + 1, close - i - 1);
        i = close + 1;
        if (name == "DEL") {
            out += char(127);
            continue;
        }
        if (name.size() == 3 && name[0] == 'x') {
            out += char(std::stoi(std::string(name.substr(1)), nullptr, 16));
            continue;
        }
        bool found = false;
        for (std::size_t c = 0; c < kNames.size() && !found; ++c) {
            if (kNames[c] == name) {
                out += char(c);
                found = true;
            }
        }
        if (!found)
            throw std::invalid_argument("unknown byte name in test bytes");
    }
    return out;
}
