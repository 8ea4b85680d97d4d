#include "client/modem_setup/PortDetector.h"

#include "client/modem_setup/ModemTester.h"
#include "common/ComPorts.h"
#include "common/SerialLine.h"

PortDetector::Result PortDetector::DetectModem(SerialLine& line, const QString& appPath) {
    Result r;
    bool inUse = false;
    int deniedPort = 0;
    QString deniedDevice;
    for (int port = 1; port <= ModemDialogState::kPorts; ++port) {
        line.close();
        const QString device = ComPorts::devicePath(appPath, port);
        if (device.isEmpty() || !line.open(device, LineSettings())) {
            const auto why =
                device.isEmpty() ? SerialLine::OpenFailure::NoDevice : line.openFailure();
            inUse = inUse || why == SerialLine::OpenFailure::InUse;
            if (why == SerialLine::OpenFailure::NotPermitted && deniedPort == 0) {
                deniedPort = port;
                deniedDevice = device;
            }
            continue;
        }
        r.opened[port - 1] = true;
        ++r.count;
        if (r.lowest == 0)
            r.lowest = port;
        line.close();
    }
    if (r.count >= 2)
        r.hint = QStringLiteral("Since ") + QString::number(r.count) +
                 QStringLiteral(" ports have been detected, choose the port connected with modem "
                                "or select AUTO DETECT to detect the port connected with modem.");
    else if (r.count == 0 && inUse)
        r.hint = ModemTester::kPortInUse;
    else if (r.count == 0 && deniedPort > 0)
        r.hint = notPermittedHint(deniedPort, deniedDevice);
    return r;
}

QString PortDetector::notPermittedHint(int port, const QString& device) {
    return QStringLiteral("COM %1 is the device %2, which you are not allowed to open. Ask for "
                          "your user to be added to the dialout group, then log in again.")
        .arg(port)
        .arg(device);
}
