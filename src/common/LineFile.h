#pragma once

#include <QString>
#include <QStringList>
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
// Exactly CR LF (a file's "one empty line" state).
bool makeOneEmptyLine(const QString& path);
// Zero bytes.
bool truncate(const QString& path);

// Files nobody appends to are replaced whole through a temporary file and a
// rename, so a crash leaves the old or the new content, never a torn file.
// `durable` also waits for the disk; status files rewritten every second skip that.
bool rewrite(const QString& path, const QStringList& lines, bool durable = true);
// Gives `temp`, about to replace `path` by a rename, the mode `path` has now,
// so a replaced file stays as readable as it was.
void keepMode(const QString& path, const QString& temp);

QByteArray encodeLines(const QStringList& lines);
QStringList decodeLines(const QByteArray& bytes);

} // namespace LineFile
