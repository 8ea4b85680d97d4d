#include "LineBytes.h"

#include "ByteText.h"

#include <stdexcept>

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
        std::string_view name = readable.substr(i, close - i + 1);
        i = close + 1;
        // The names are the transcript's own; its tests pin their spelling.
        bool found = false;
        for (int c = 0; c < 256 && !found; ++c) {
            if (ByteText::readable(std::string(1, char(c))) == name) {
                out += char(c);
                found = true;
            }
        }
        if (!found)
            throw std::invalid_argument("unknown byte name in test bytes");
    }
    return out;
}
