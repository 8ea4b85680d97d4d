#pragma once

#include <string>
#include <string_view>

// Test tables spell line bytes the way the transcript does: "ATZ<CR>",
// "<STX>447700900123<CR>Hi<CR><ETX>335<CR>", "<x80>".
std::string lineBytes(std::string_view readable);
