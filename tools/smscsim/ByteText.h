#pragma once

#include <string>
#include <string_view>

// How bytes from the line are written into the simulator's text files.
namespace ByteText {
// For the transcript: control bytes as <NAME> (<CR>, <STX>, <DEL>), bytes from
// 128 up and "<" itself as <xHH>; everything else as it is.
std::string readable(std::string_view bytes);
// For the record: bytes as they are, except "\" as "\\" and control bytes other
// than TAB as "\xHH", so one message stays one line.
std::string recordField(std::string_view bytes);
} // namespace ByteText
