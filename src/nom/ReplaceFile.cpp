#include "nom/ReplaceFile.h"

#include "common/LineFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace ReplaceFile {

bool write(const QString& path, const QStringList& lines) {
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
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) !=
        0) {
        QFile::remove(temp);
        return false;
    }
    return true;
}

} // namespace ReplaceFile
