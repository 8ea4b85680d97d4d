// Line files: Windows-1252 with any line ends. Every byte has a character
// and comes back as itself; the lines read are written and read back alike.
#include "FuzzSupport.h"
#include "common/LineFile.h"
#include "common/Win1252.h"

#include <QStringList>

using Fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = Win1252::decode(bytes);
    check(text.size() == bytes.size(), "one character per byte");
    check(Win1252::encode(text) == bytes, "bytes do not come back", text);
    for (QChar c : text)
        check(Win1252::code(c) >= 0, "decoded character without a code", text);

    const QStringList lines = LineFile::decodeLines(bytes);
    for (const QString& line : lines)
        check(!line.contains('\r') && !line.contains('\n'), "line end inside a line", line);
    const QByteArray written = LineFile::encodeLines(lines);
    check(LineFile::decodeLines(written) == lines, "lines do not read back", text);
    check(LineFile::encodeLines(LineFile::decodeLines(written)) == written,
          "written lines change on a second write", text);

    // Through a file, as readers take it: every line, and the last one.
    const QString path = Fuzz::scratch() + "lines.dat";
    Fuzz::writeFile(path, bytes);
    check(LineFile::readAll(path) == lines, "file reads differently from its bytes", text);
    check(LineFile::readLast(path) == (lines.isEmpty() ? QString() : lines.last()), "last line",
          text);
    return 0;
}
