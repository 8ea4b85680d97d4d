#include "common/ComPorts.h"

#include "common/ExchangeFiles.h"
#include "common/LineFile.h"

namespace ComPorts {

QString devicePath(const QString& appPath, int portNumber) {
    if (portNumber < 1 || portNumber > kPortCount)
        return QString();
    const QStringList lines =
        LineFile::readAll(ExchangeFiles::path(appPath, ExchangeFiles::kComPorts));
    const QString device = portNumber <= lines.size() ? lines[portNumber - 1].trimmed() : QString();
    return device.size() <= kMaxPathLength ? device : QString();
}

} // namespace ComPorts
