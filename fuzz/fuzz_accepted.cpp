// Brindle.out read incrementally: the input is a sequence of file states
// (appends, shrinks, replacements, polls). After each poll the index holds
// exactly the keys of the lines the file holds; an unfinished last line
// counts once it stayed so for a whole poll.
#include "FuzzSupport.h"
#include "client/outbox/AcceptedIndex.h"
#include "common/Win1252.h"

#include <QFile>
#include <QSet>

using Fuzz::check;

namespace {

QSet<QString> keysOf(const QByteArray& bytes, bool withTail) {
    QSet<QString> keys;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        const bool end = i == bytes.size();
        if (end ? !withTail : bytes[i] != '\n' && bytes[i] != '\r')
            continue;
        const QString key = AcceptedIndex::lineKey(Win1252::decode(bytes.mid(start, i - start)));
        if (!key.isEmpty())
            keys.insert(key);
        start = i + 1;
    }
    return keys;
}

QString show(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toPercentEncoding(" []"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::Input in(data, size);
    const QString path = Fuzz::scratch() + "Brindle.out";
    QFile::remove(path);
    AcceptedIndex index(path);
    QByteArray file;
    bool exists = false;
    bool polledTail = false; // the last poll saw the unfinished last line as it is
    bool counted = false;    // that line has been taken as a line
    while (!in.empty()) {
        const uint8_t op = in.byte();
        const uint8_t n = in.byte();
        const QByteArray before = file;
        bool replaced = false;
        switch (op % 5) {
        case 0:
        case 1: { // appended to; our writers end a line taken as a line first
            QByteArray chunk = in.take(n % 64);
            if (counted && !chunk.isEmpty())
                chunk.prepend("\r\n");
            file += chunk;
            QFile f(path);
            check(f.open(QIODevice::WriteOnly | QIODevice::Append), "append");
            f.write(chunk);
            exists = true;
            break;
        }
        case 2: // shrunk in place
            if (exists) {
                file.truncate(file.size() * n / 256);
                check(QFile::resize(path, file.size()), "shrink");
            }
            break;
        case 3: { // replaced by a new file
            file = in.take(n % 64);
            const QString temp = path + ".new";
            Fuzz::writeFile(temp, file);
            check(QFile::rename(temp, path) || (QFile::remove(path) && QFile::rename(temp, path)),
                  "replace");
            exists = replaced = true;
            break;
        }
        default: // only polled
            break;
        }
        if (replaced || file != before)
            polledTail = counted = false;
        index.refresh();
        const bool closed = file.isEmpty() || file.endsWith('\n') || file.endsWith('\r');
        counted = !closed && (counted || polledTail);
        const QSet<QString> expected = keysOf(file, closed || counted);
        check(index.size() == expected.size(), "index holds other keys than the file", show(file));
        for (const QString& k : expected)
            check(index.contains(k), "key missing", k + " in " + show(file));
        polledTail = !closed;
    }
    return 0;
}
