#include "common/ComPorts.h"

#include "common/ExchangeFiles.h"
#include "common/LineFile.h"

#include <algorithm>

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

// The modem a line names; empty when it names none.
QString modemOn(const QString& line) {
    const QString text = line.trimmed();
    return text.startsWith(kMobilePrefix) ? text.mid(kMobilePrefix.size()).trimmed() : QString();
}

} // namespace

QString devicePath(const QString& appPath, int portNumber) {
    const QString text = line(appPath, portNumber);
    return text.startsWith(kMobilePrefix) ? QString() : text;
}

QString mobileModem(const QString& appPath, int portNumber) {
    return modemOn(line(appPath, portNumber));
}

int nameMobileModem(const QString& appPath, const QString& equipmentId, int lastPort) {
    const QString path = ExchangeFiles::path(appPath, ExchangeFiles::kComPorts);
    const QString named = kMobilePrefix + equipmentId.trimmed();
    // An unreadable file is never replaced by one holding only the modem.
    std::optional<QStringList> lines =
        LineFile::exists(path) ? LineFile::tryReadAll(path) : QStringList();
    if (named == kMobilePrefix || !lines)
        return 0;
    for (int port = 1; port <= std::min<int>(kPortCount, lines->size()); ++port)
        if (modemOn((*lines)[port - 1]) == equipmentId.trimmed())
            return port;
    for (int port = 1; port <= lastPort; ++port) {
        if (port <= lines->size() && !(*lines)[port - 1].trimmed().isEmpty())
            continue;
        while (lines->size() < port)
            lines->append(QString());
        (*lines)[port - 1] = named;
        return LineFile::rewrite(path, *lines) ? port : 0;
    }
    return 0;
}

} // namespace ComPorts
