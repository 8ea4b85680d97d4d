#include "nom/ReplaceFile.h"

#include "common/LineFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace ReplaceFile {

namespace {

bool replace(const QString& path, const QStringList& lines, bool unlinkFirst) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    const QString temp = info.absolutePath() + "/." + info.fileName() + ".new";
    {
        QFile f(temp);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        const QByteArray bytes = LineFile::encodeLines(lines);
        if (f.write(bytes) != bytes.size()) {
            f.remove();
            return false;
        }
    }
    LineFile::keepMode(path, temp);
    if (unlinkFirst)
        std::remove(QFile::encodeName(path).constData());
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) !=
        0) {
        QFile::remove(temp);
        return false;
    }
    return true;
}

} // namespace

bool write(const QString& path, const QStringList& lines) {
    return replace(path, lines, false);
}

bool writeUnflushed(const QString& path, const QStringList& lines) {
    return replace(path, lines, true);
}

} // namespace ReplaceFile
