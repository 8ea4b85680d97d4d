#include "ByteText.h"

#include <array>

namespace {
constexpr std::array<const char*, 32> kControlNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

std::string hex(unsigned char c) {
    const char* digits = "0123456789ABCDEF";
    return {digits[c >> 4], digits[c & 0xF]};
}
} // namespace

std::string ByteText::readable(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 32)
            out += std::string("<") + kControlNames[c] + ">";
        else if (c == 127)
            out += "<DEL>";
        else if (c >= 128 || c == '<')
            out += "<x" + hex(c) + ">";
        else
            out += ch;
    }
    return out;
}

std::string ByteText::recordField(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '\\')
            out += "\\\\";
        else if ((c < 32 && c != '\t') || c == 127)
            out += "\\x" + hex(c);
        else
            out += ch;
    }
    return out;
}
