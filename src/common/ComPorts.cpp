#include "common/ComPorts.h"

#include "common/ExchangeFiles.h"
#include "common/LineFile.h"

namespace ComPorts {

QString devicePath(const QString& appPath, int portNumber) {
    if (portNumber < 1)
        return QString();
    const QStringList lines =
        LineFile::readAll(ExchangeFiles::path(appPath, ExchangeFiles::kComPorts));
    const QString named = portNumber <= lines.size() ? lines[portNumber - 1].trimmed() : QString();
    if (!named.isEmpty())
        return named;
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
}

} // namespace ComPorts
