#include "ModemScript.h"

#include "ByteText.h"

#include <gtest/gtest.h>

#include <string_view>

std::string ModemScript::due(std::int64_t ms) {
    Emission out = modem.takeDue(ms);
    for (auto& m : out.accepted)
        accepted.push_back(m);
    for (auto& n : out.notes)
        notes.push_back(n);
    return ByteText::readable(out.bytes);
}

void ModemScript::run(const std::vector<Step>& steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i + 1) + " sends " + steps[i].send);
        EXPECT_EQ(at(steps[i].ms, steps[i].send), steps[i].expect);
    }
}

std::string Line::block(const std::string& number, const std::string& text) {
    std::string body = "\x02" + lineBytes(number) + "\r" + lineBytes(text) + "\r\x03";
    int sum = 0;
    for (unsigned char c : body)
        sum += c;
    sum %= 4096;
    std::string check = {char(48 + sum / 256), char(48 + sum % 256 / 16), char(48 + sum % 16)};
    return ByteText::readable(body + check + "\r");
}
