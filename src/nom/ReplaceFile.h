#pragma once

#include <QString>
#include <QStringList>

// Replaces a small status file whole through a temporary file and a rename:
// a reader sees the old or the new line, never a torn one. Unlike a journal
// it is not forced to disk: it is rewritten every few seconds and only its
// latest content matters.
namespace ReplaceFile {

bool write(const QString& path, const QStringList& lines);

} // namespace ReplaceFile
