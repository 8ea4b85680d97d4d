#include "Form.h"

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> decode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%') {
            if (i + 2 >= s.size())
                return std::nullopt;
            int hi = hexValue(s[i + 1]);
            int lo = hexValue(s[i + 2]);
            if (hi < 0 || lo < 0)
                return std::nullopt;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            out += c;
        }
    }
    if (!isCleanUtf8(out))
        return std::nullopt;
    return out;
}

} // namespace

bool isCleanUtf8(std::string_view text) {
    auto s = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    for (size_t i = 0; i < n;) {
        unsigned c = s[i];
        int more;
        unsigned min;
        if (c == 0)
            return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if ((c & 0xE0) == 0xC0) {
            more = 1, min = 0x80, c &= 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2, min = 0x800, c &= 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3, min = 0x10000, c &= 0x07;
        } else {
            return false;
        }
        if (i + more >= n)
            return false;
        for (int k = 1; k <= more; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (s[i + k] & 0x3F);
        }
        if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

std::optional<std::map<std::string, std::string>> parseUrlEncoded(std::string_view text) {
    std::map<std::string, std::string> fields;
    while (!text.empty()) {
        size_t amp = text.find('&');
        std::string_view pair = text.substr(0, amp);
        text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
        if (pair.empty())
            continue;
        size_t eq = pair.find('=');
        auto key = decode(pair.substr(0, eq));
        auto value =
            decode(eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1));
        if (!key || !value)
            return std::nullopt;
        fields.emplace(std::move(*key), std::move(*value));
    }
    return fields;
}

std::optional<std::vector<Store::Message>> parsePieces(std::string_view t, int& badPiece) {
    std::vector<Store::Message> messages;
    for (int index = 1;; ++index) {
        size_t hash = t.find('#');
        std::string_view piece = t.substr(0, hash);
        size_t digits = 1;
        while (digits < piece.size() && piece[digits] >= '0' && piece[digits] <= '9')
            ++digits;
        if (piece.empty() || piece[0] != '+' || digits == 1 || digits == piece.size() ||
            piece[digits] != ' ') {
            badPiece = index;
            return std::nullopt;
        }
        messages.push_back(
            {std::string(piece.substr(0, digits)), std::string(piece.substr(digits + 1))});
        if (hash == std::string_view::npos)
            return messages;
        t = t.substr(hash + 1);
    }
}
