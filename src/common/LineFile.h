#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Line files: Windows-1252 text, CR LF after every line. Readers also accept
// LF or CR alone and a last line without its line end. Paths are real paths
// (see InstallPath). Writers create missing parent folders.
namespace LineFile {

// Every line; an empty list when the file is missing or unreadable.
QStringList readAll(const QString& path);
// nullopt when the file cannot be opened.
std::optional<QStringList> tryReadAll(const QString& path);
// The last line ("" when the file is empty or missing).
QString readLast(const QString& path);
bool exists(const QString& path);

// Appended to: never replaced by rename (another process may hold it open).
bool append(const QString& path, const QString& line);
bool appendLines(const QString& path, const QStringList& lines);
// Truncates and writes in place (for files others append to).
bool rewriteInPlace(const QString& path, const QStringList& lines);
// Puts `after` in place of `before`, which the file holds, without
// replacing the file: written over the old bytes, then cut to length. A write
// cut short puts `before` back; false then, and the file holds what it held.
bool overwriteInPlace(const QString& path, const QByteArray& before, const QByteArray& after);
// Exactly CR LF (a file's "one empty line" state).
bool makeOneEmptyLine(const QString& path);
// Zero bytes.
bool truncate(const QString& path);

// Files nobody appends to are replaced whole through a temporary file and a
// rename, so a crash leaves the old or the new content, never a torn file, and
// a write that fails (a full disk) leaves the old file as it was and says so.
// `durable` also waits for the disk; status files rewritten every second skip that.
bool rewrite(const QString& path, const QStringList& lines, bool durable = true);
// The same for a file rewritten at every status line: the old file goes
// before the new one takes its name, since a rename over a file makes some
// file systems flush the new one first (milliseconds a line on a busy disk).
// A reader sees the old line, the new one or for a moment no file.
bool rewriteUnflushed(const QString& path, const QStringList& lines);
// Writes accept only `bytes` more bytes, then fail as on a full disk; a
// negative count writes normally again.
void failWritesAfterForTests(qint64 bytes);
// Gives `temp`, about to replace `path` by a rename, the mode `path` has now,
// so a replaced file stays as readable as it was.
void keepMode(const QString& path, const QString& temp);

QByteArray encodeLines(const QStringList& lines);
// Hands over each line of `bytes` undecoded, without its line end, with the
// offset the next line starts at.
void forEachLine(const QByteArray& bytes,
                 const std::function<void(QByteArrayView line, qsizetype next)>& take);
QStringList decodeLines(const QByteArray& bytes);

} // namespace LineFile
