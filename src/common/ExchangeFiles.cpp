#include "common/ExchangeFiles.h"

#include "common/InstallPath.h"
#include "common/LineFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace ExchangeFiles {

QString path(const QString& appPath, const QString& relative) {
    return InstallPath::resolve(appPath, relative);
}

QStringList readConfig(const QString& appPath, QString& problem) {
    constexpr qint64 kMaxBytes = 1 << 20;
    constexpr qsizetype kMaxLine = 4096;
    const QString file = path(appPath, kConfig);
    problem.clear();
    if (const qint64 size = QFileInfo(file).size(); size > kMaxBytes) {
        problem = QStringLiteral("Brindle.cfg is too large : %1 bytes").arg(size);
        return {};
    }
    const QStringList lines = LineFile::readAll(file);
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].size() > kMaxLine) {
            problem = QStringLiteral("Brindle.cfg line %1 is too long : %2 characters")
                          .arg(i + 1)
                          .arg(lines[i].size());
            return {};
        }
    return lines;
}

InboxLock::InboxLock(const QString& appPath) {
    const QString file = path(appPath, kLock);
    QDir().mkpath(QFileInfo(file).absolutePath());
    const QByteArray native = QFile::encodeName(file);
    m_fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return;
    int rc;
    do {
        rc = ::flock(m_fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

InboxLock::~InboxLock() {
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }
}

bool ensureOneEmptyLineFile(const QString& file) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    const QByteArray native = QFile::encodeName(file);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno == EEXIST;
    const bool ok = ::write(fd, "\r\n", 2) == 2;
    ::close(fd);
    return ok;
}

QByteArray readBytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool emptyInPlace(const QString& file) {
    if (!QFileInfo::exists(file))
        return ensureOneEmptyLineFile(file);
    const QByteArray before = readBytes(file);
    return before == "\r\n" || LineFile::overwriteInPlace(file, before, "\r\n");
}

bool dropLinesInPlace(const QString& file, const std::function<bool(QByteArrayView)>& drop) {
    const QByteArray before = readBytes(file);
    QByteArray after;
    bool dropped = false;
    bool entries = false;
    qsizetype start = 0;
    LineFile::forEachLine(before, [&](QByteArrayView line, qsizetype next) {
        if (drop(line)) {
            dropped = true;
        } else {
            after += QByteArrayView(before.constData() + start, next - start);
            entries = entries || !line.trimmed().isEmpty();
        }
        start = next;
    });
    if (!dropped)
        return true;
    return LineFile::overwriteInPlace(file, before, entries ? after : QByteArray("\r\n"));
}

bool appendToInbox(const QString& appPath, const QStringList& entries) {
    InboxLock lock(appPath);
    const QString inbox = path(appPath, kInbox);
    QStringList lines = entries;
    // Missing, or left empty by an emptying that was cut short: the first
    // entry would stand on the placeholder line, which is never sent.
    if (QFileInfo(inbox).size() == 0)
        lines.prepend(QString());
    return LineFile::appendLines(inbox, lines);
}

QString readStateWord(const QString& appPath) {
    return LineFile::readLast(path(appPath, kStateFile));
}

bool writeStateWord(const QString& appPath, const QString& word) {
    // On a full disk the word still fits in the room the old one takes: a
    // reader may then see the file empty for a moment, never a stale "INUSE".
    const QString file = path(appPath, kStateFile);
    return LineFile::rewrite(file, {word}) || LineFile::rewriteInPlace(file, {word});
}

} // namespace ExchangeFiles
