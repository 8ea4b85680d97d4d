#include "common/ComPorts.h"

#include "common/ExchangeFiles.h"
#include "common/LineFile.h"

namespace ComPorts {

namespace {

QString line(const QString& appPath, int portNumber) {
    if (portNumber < 1 || portNumber > kPortCount)
        return QString();
    const QStringList lines =
        LineFile::readAll(ExchangeFiles::path(appPath, ExchangeFiles::kComPorts));
    const QString text = portNumber <= lines.size() ? lines[portNumber - 1].trimmed() : QString();
    return text.size() <= kMaxPathLength ? text : QString();
}

} // namespace

QString devicePath(const QString& appPath, int portNumber) {
    const QString text = line(appPath, portNumber);
    return text.startsWith(kMobilePrefix) ? QString() : text;
}

QString mobileModem(const QString& appPath, int portNumber) {
    const QString text = line(appPath, portNumber);
    return text.startsWith(kMobilePrefix) ? text.mid(kMobilePrefix.size()).trimmed() : QString();
}

} // namespace ComPorts
