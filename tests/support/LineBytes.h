#pragma once

#include "ByteText.h"

#include <QByteArray>
#include <QString>
#include <stdexcept>
#include <string>

// Line bytes in tables as the simulator's transcript spells them: "ATZ<CR>",
// "<STX>447700900123<CR>Hi<CR><ETX>335<CR>", "<xFF>".
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

inline QByteArray bytes(std::string_view readable) {
    return QByteArray::fromStdString(lineBytes(readable));
}

inline QString readable(const QByteArray& bytes) {
    return QString::fromStdString(ByteText::readable(bytes.toStdString()));
}
