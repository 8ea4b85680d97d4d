#include "Form.h"

#include <algorithm>
#include <cctype>

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

size_t characterCount(std::string_view text) {
    return size_t(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

bool carriableBySms(std::string_view text, size_t maxCharacters) {
    if (!isCleanUtf8(text) || characterCount(text) > maxCharacters)
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        // The pound sign, U+00A3, is the one character past ASCII.
        if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xA3) {
            ++i;
            continue;
        }
        if (c < 0x20 || c >= 0x7F ||
            std::string_view("#[\\]^{|}~").find(char(c)) != std::string_view::npos)
            return false;
    }
    return true;
}

namespace {

bool startsWithCaseless(std::string_view text, std::string_view start) {
    if (text.size() < start.size())
        return false;
    for (size_t i = 0; i < start.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != start[i])
            return false;
    return true;
}

// The value of `name=` in a header's parameters, quoted or not.
std::optional<std::string_view> parameter(std::string_view header, std::string_view name) {
    for (size_t at = header.find(';'); at != std::string_view::npos; at = header.find(';', at)) {
        std::string_view rest = header.substr(at + 1);
        rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
        ++at;
        if (!startsWithCaseless(rest, name) || rest.substr(name.size(), 1) != "=")
            continue;
        rest.remove_prefix(name.size() + 1);
        if (rest.substr(0, 1) == "\"") {
            const size_t end = rest.find('"', 1);
            return end == std::string_view::npos ? std::nullopt
                                                 : std::optional(rest.substr(1, end - 1));
        }
        return rest.substr(0, rest.find(';'));
    }
    return std::nullopt;
}

} // namespace

std::optional<std::map<std::string, std::string>> parseMultipart(std::string_view body,
                                                                 std::string_view contentType) {
    const auto boundary = parameter(contentType, "boundary");
    if (!boundary || boundary->empty() || boundary->size() > 70)
        return std::nullopt;
    const std::string delimiter = "--" + std::string(*boundary);
    const std::string between = "\r\n" + delimiter;
    if (body.substr(0, delimiter.size()) != delimiter)
        return std::nullopt;
    std::map<std::string, std::string> fields;
    size_t at = delimiter.size();
    for (;;) {
        if (body.substr(at, 2) == "--")
            return fields;
        if (body.substr(at, 2) != "\r\n")
            return std::nullopt;
        const size_t headersEnd = body.find("\r\n\r\n", at);
        const size_t end = body.find(between, headersEnd);
        if (headersEnd == std::string_view::npos || end == std::string_view::npos)
            return std::nullopt;
        std::optional<std::string_view> name;
        for (size_t line = at + 2; line < headersEnd + 2;) {
            const size_t next = body.find("\r\n", line);
            const std::string_view header = body.substr(line, next - line);
            if (startsWithCaseless(header, "content-disposition:"))
                name = parameter(header, "name");
            line = next + 2;
        }
        const std::string_view value = body.substr(headersEnd + 4, end - headersEnd - 4);
        if (!name || !isCleanUtf8(*name) || !isCleanUtf8(value))
            return std::nullopt;
        fields.try_emplace(std::string(*name), value);
        at = end + between.size();
    }
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

std::optional<std::vector<Store::Message>> parsePieces(std::string_view t, int& badPiece,
                                                       size_t maxDigits) {
    std::vector<Store::Message> messages;
    for (int index = 1;; ++index) {
        size_t hash = t.find('#');
        std::string_view piece = t.substr(0, hash);
        size_t digits = 1;
        while (digits < piece.size() && piece[digits] >= '0' && piece[digits] <= '9')
            ++digits;
        if (piece.empty() || piece[0] != '+' || digits == 1 || digits > maxDigits + 1 ||
            digits == piece.size() || piece[digits] != ' ') {
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
