// The service's request bodies and query strings: what decodes is clean
// UTF-8 and encodes back to the same fields; a "T" field splits into pieces
// of "+" and digits that join back into the text.
#include "Form.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void check(bool ok, const char* what, std::string_view detail) {
    if (ok)
        return;
    std::fprintf(stderr, "PROPERTY BROKEN: %s\n%.*s\n", what, int(detail.size()), detail.data());
    std::abort();
}

std::string encode(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '*') {
            out += char(c);
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto fields = parseUrlEncoded(text)) {
        std::string again;
        for (const auto& [key, value] : *fields) {
            check(isCleanUtf8(key) && isCleanUtf8(value), "field not clean UTF-8", text);
            again += (again.empty() ? "" : "&") + encode(key) + '=' + encode(value);
        }
        check(parseUrlEncoded(again) == fields, "fields do not encode back", text);
    }
    // A multipart body under a fixed boundary: every field found is clean,
    // and each lies within the body.
    if (const auto fields = parseMultipart(text, "multipart/form-data; boundary=\"b\"")) {
        for (const auto& [name, value] : *fields) {
            check(isCleanUtf8(name) && isCleanUtf8(value), "multipart field not clean UTF-8", text);
            check(text.find(value) != std::string_view::npos, "multipart value not in body", text);
        }
    }
    int bad = 0;
    if (const auto pieces = parsePieces(text, bad)) {
        std::string joined;
        for (const Store::Message& m : *pieces) {
            check(m.number.size() > 1 && m.number.size() <= 21 && m.number[0] == '+' &&
                      m.number.find_first_not_of("0123456789", 1) == std::string::npos,
                  "number is not + and digits", text);
            check(m.text.find('#') == std::string::npos, "piece holds the separator", text);
            joined += (joined.empty() ? "" : "#") + m.number + ' ' + m.text;
        }
        check(joined == text, "pieces do not join back", text);
    } else {
        check(bad >= 1, "bad piece not named", text);
    }
    return 0;
}
