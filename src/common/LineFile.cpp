#include "common/LineFile.h"

#include "common/Win1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool ensureParent(const QString& path) {
    const QString dir = QFileInfo(path).absolutePath();
    return QDir().mkpath(dir);
}

bool writeBytes(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode) {
    if (!ensureParent(path))
        return false;
    QFile f(path);
    if (!f.open(mode))
        return false;
    const bool ok = f.write(bytes) == bytes.size();
    f.close();
    return ok && f.error() == QFileDevice::NoError;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

namespace LineFile {

QByteArray encodeLines(const QStringList& lines) {
    QByteArray out;
    for (const QString& l : lines) {
        out += Win1252::encode(l);
        out += "\r\n";
    }
    return out;
}

QStringList decodeLines(const QByteArray& bytes) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines << Win1252::decode(bytes.mid(start, i - start));
            if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines << Win1252::decode(bytes.mid(start));
    return lines;
}

std::optional<QStringList> tryReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return decodeLines(f.readAll());
}

QStringList readAll(const QString& path) {
    return tryReadAll(path).value_or(QStringList{});
}

QString readLast(const QString& path) {
    const QStringList lines = readAll(path);
    return lines.isEmpty() ? QString() : lines.last();
}

bool exists(const QString& path) {
    return QFileInfo(path).isFile();
}

bool append(const QString& path, const QString& line) {
    return appendLines(path, {line});
}

// A file whose last line lacks its line end would glue the next line onto it.
bool endsOpenLine(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() == 0 || !f.seek(f.size() - 1))
        return false;
    char last = 0;
    return f.getChar(&last) && last != '\n' && last != '\r';
}

bool appendLines(const QString& path, const QStringList& lines) {
    QByteArray bytes = encodeLines(lines);
    if (endsOpenLine(path))
        bytes.prepend("\r\n");
    if (!ensureParent(path))
        return false;
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool sized = ::fstat(fd, &st) == 0;
    bool ok = writeAll(fd, bytes);
    // A full disk takes part of a line: cut it off again, or the next append
    // would leave it behind as a line of its own.
    if (!ok && sized)
        (void)::ftruncate(fd, st.st_size);
    ok = ::close(fd) == 0 && ok;
    return ok;
}

bool rewriteInPlace(const QString& path, const QStringList& lines) {
    return writeBytes(path, encodeLines(lines), QIODevice::WriteOnly | QIODevice::Truncate);
}

bool makeOneEmptyLine(const QString& path) {
    return rewriteInPlace(path, {QString()});
}

bool truncate(const QString& path) {
    return rewriteInPlace(path, {});
}

void keepMode(const QString& path, const QString& temp) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        ::chmod(QFile::encodeName(temp).constData(), st.st_mode & 07777);
}

namespace {

// A new file beside `path`, made as any new file is (0666 less the umask),
// unlike a QTemporaryFile (0600).
int createTemporary(const QString& path, QString& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = path + '.' + QString::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(QFile::encodeName(name).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool replaceQuickly(const QString& path, const QByteArray& bytes) {
    QString temp;
    const int fd = createTemporary(path, temp);
    if (fd < 0)
        return false;
    keepMode(path, temp);
    const bool written = writeAll(fd, bytes);
    const bool closed = ::close(fd) == 0;
    const QByteArray native = QFile::encodeName(temp);
    if (!written || !closed) {
        ::unlink(native.constData());
        return false;
    }
    if (::rename(native.constData(), QFile::encodeName(path).constData()) != 0) {
        ::unlink(native.constData());
        return false;
    }
    return true;
}

} // namespace

bool rewrite(const QString& path, const QStringList& lines, bool durable) {
    if (!ensureParent(path))
        return false;
    const QByteArray bytes = encodeLines(lines);
    if (!durable)
        return replaceQuickly(path, bytes);
    // QSaveFile gives the new file the replaced one's permissions.
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

} // namespace LineFile
