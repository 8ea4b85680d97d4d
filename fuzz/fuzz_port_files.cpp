// AppPath.cfg, Port.cfg and ComPorts.cfg: the installation folder always ends
// in '/' and reads the same once stored; a port's device is its line, trimmed.
#include "FuzzSupport.h"
#include "common/AppPath.h"
#include "common/ComPorts.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "nom/BrindleConfig.h"

using Fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::Input in(data, size);
    const QString cwd = Fuzz::scratch() + "cwd/";
    const QString app = Fuzz::scratch() + "install/";
    const QByteArray appPathBytes = in.take(in.byte());
    const QByteArray portBytes = in.take(in.byte() % 32);
    const QByteArray comPorts = in.rest();
    Fuzz::writeFile(cwd + "AppPath.cfg", appPathBytes);
    Fuzz::writeFile(ExchangeFiles::path(app, ExchangeFiles::kPortFile), portBytes);
    Fuzz::writeFile(ExchangeFiles::path(app, ExchangeFiles::kComPorts), comPorts);

    const QString stored = AppPath("/opt/quorvel", cwd).read();
    check(stored.isEmpty() || stored.endsWith('/'), "installation folder without '/'", stored);
    check(!stored.contains('\r') && !stored.contains('\n'), "line end in folder", stored);
    check(AppPath::withSeparator(stored.isEmpty() ? "/" : stored) ==
              (stored.isEmpty() ? "/" : stored),
          "folder changes when stored again", stored);
    const QString resolved = BrindleConfig::resolveAppPath("/opt/quorvel/NOM/UK/Cellnet", cwd);
    check(resolved == (stored.isEmpty() ? "/opt/quorvel/" : stored), "Brindle's folder", resolved);

    BrindleConfig c;
    c.appPath = app;
    c.readPortFile();
    const QStringList portLines = LineFile::decodeLines(portBytes);
    check(c.portText == (portLines.isEmpty() ? QString() : portLines.last()), "port line",
          c.portText);
    const QStringList devices = LineFile::decodeLines(comPorts);
    for (int port = -1; port <= ComPorts::kPortCount + 1; ++port) {
        const QString device = ComPorts::devicePath(app, port);
        const bool named = port >= 1 && port <= ComPorts::kPortCount && port <= devices.size();
        const QString line = named ? devices[port - 1].trimmed() : QString();
        // A line longer than any device path names none.
        check(device == (line.size() <= ComPorts::kMaxPathLength ? line : QString()), "port device",
              device);
    }
    return 0;
}
