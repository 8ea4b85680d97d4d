#pragma once

#include <QString>
#include <QStringList>

// Replaces a small status file whole through a temporary file and a rename:
// a reader sees the old or the new line, never a torn one. Unlike a journal
// it is not forced to disk: it is rewritten every few seconds and only its
// latest content matters.
namespace ReplaceFile {

bool write(const QString& path, const QStringList& lines);
// The same for a file rewritten at every status line: the old file goes
// before the new one takes its name, since a rename over a file makes the
// file system flush the new one first (milliseconds a line on a busy disk).
// A reader sees the old line, the new one or for a moment no file.
bool writeUnflushed(const QString& path, const QStringList& lines);

} // namespace ReplaceFile
