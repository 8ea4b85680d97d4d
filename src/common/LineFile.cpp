#include "common/LineFile.h"

#include "common/Win1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool ensureParent(const QString& path) {
    const QString dir = QFileInfo(path).absolutePath();
    return QDir().mkpath(dir);
}

// Every write goes through here, so a test can make the disk run out.
ssize_t (*g_write)(int, const void*, size_t) = ::write;

bool writeAll(int fd, const QByteArray& bytes,
              ssize_t (*write)(int, const void*, size_t) = g_write) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.constData() + done, size_t(bytes.size() - done));
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

void forEachLine(const QByteArray& bytes,
                 const std::function<void(QByteArrayView line, qsizetype next)>& take) {
    const qsizetype n = bytes.size();
    const char* data = bytes.constData();
    for (qsizetype start = 0, i = 0; start < n; start = i) {
        while (i < n && data[i] != '\r' && data[i] != '\n')
            ++i;
        const QByteArrayView line(data + start, i - start);
        if (i < n)
            i += data[i] == '\r' && i + 1 < n && data[i + 1] == '\n' ? 2 : 1;
        take(line, i);
    }
}

QStringList decodeLines(const QByteArray& bytes) {
    QStringList lines;
    forEachLine(bytes, [&lines](QByteArrayView line, qsizetype) {
        lines << Win1252::decode(line.toByteArray());
    });
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
    if (!ok && sized) {
        [[maybe_unused]] const int cut = ::ftruncate(fd, st.st_size);
    }
    ok = ::close(fd) == 0 && ok;
    return ok;
}

bool rewriteInPlace(const QString& path, const QStringList& lines) {
    if (!ensureParent(path))
        return false;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_TRUNC | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, encodeLines(lines));
    return ::close(fd) == 0 && written;
}

bool overwriteInPlace(const QString& path, const QByteArray& before, const QByteArray& after) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, after) && ::ftruncate(fd, after.size()) == 0;
    if (!ok) {
        // Bytes put back over themselves take no room the file does not
        // have already, so this write cannot run out of it.
        [[maybe_unused]] const bool restored = ::lseek(fd, 0, SEEK_SET) == 0 &&
                                               writeAll(fd, before, ::write) &&
                                               ::ftruncate(fd, before.size()) == 0;
    }
    return ::close(fd) == 0 && ok;
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

// A durable write follows a link to the file it names, and leaves a file the
// user made read-only as it is, as an in-place write would.
QString linkTarget(const QString& path) {
    QString target = path;
    for (int hops = 0; hops < 16; ++hops) {
        const QFileInfo info(target);
        if (!info.isSymLink())
            break;
        target = info.symLinkTarget();
    }
    return target;
}

enum class Flush { Durable, Quick, Unflushed };

// The old file stays whole unless every byte of the new one was written
// (and, when durable, is on the disk): only then does the new one take its name.
bool replace(const QString& path, const QStringList& lines, Flush flush) {
    const QString target = flush == Flush::Durable ? linkTarget(path) : path;
    if (!ensureParent(target))
        return false;
    const QByteArray native = QFile::encodeName(target);
    if (flush == Flush::Durable) {
        const int probe = ::open(native.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (probe >= 0)
            ::close(probe);
        else if (errno != ENOENT)
            return false;
    }
    QString temp;
    const int fd = createTemporary(target, temp);
    if (fd < 0)
        return false;
    keepMode(target, temp);
    const QByteArray tempName = QFile::encodeName(temp);
    bool ok = writeAll(fd, encodeLines(lines));
    if (ok && flush == Flush::Durable)
        ok = ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    // A rename over a file makes some file systems flush the new one first.
    if (ok && flush == Flush::Unflushed)
        ::unlink(native.constData());
    if (!ok || ::rename(tempName.constData(), native.constData()) != 0) {
        ::unlink(tempName.constData());
        return false;
    }
    if (flush == Flush::Durable) {
        // The rename itself reaches the disk with its folder. The new file is
        // in place whatever this says, so it cannot turn the write into a failure.
        const int dir = ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(),
                               O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            [[maybe_unused]] const int synced = ::fsync(dir);
            ::close(dir);
        }
    }
    return true;
}

} // namespace

bool rewrite(const QString& path, const QStringList& lines, bool durable) {
    return replace(path, lines, durable ? Flush::Durable : Flush::Quick);
}

bool rewriteUnflushed(const QString& path, const QStringList& lines) {
    return replace(path, lines, Flush::Unflushed);
}

void failWritesAfterForTests(qint64 bytes) {
    static qint64 left = 0;
    left = bytes;
    if (bytes < 0) {
        g_write = ::write;
        return;
    }
    g_write = [](int fd, const void* data, size_t size) -> ssize_t {
        if (left <= 0) {
            errno = ENOSPC;
            return -1;
        }
        const size_t n = std::min<size_t>(size, size_t(left));
        const ssize_t done = ::write(fd, data, n);
        if (done > 0)
            left -= done;
        return done;
    };
}

} // namespace LineFile
