#include "client/modem_setup/PortDetector.h"

#include "client/modem_setup/ModemTester.h"
#include "common/ComPorts.h"
#include "common/SerialLine.h"

PortDetector::Port PortDetector::look(const QString& appPath, int port,
                                      const std::vector<MobileModem>& mobile) {
    Port p;
    const QString id = ComPorts::mobileModem(appPath, port);
    for (const MobileModem& modem : mobile)
        if (!id.isEmpty() && modem.equipmentId == id)
            p.modem = modem;
    p.held = heldByModemManager(ComPorts::devicePath(appPath, port), mobile);
    p.tip = p.modem  ? mobileTip(*p.modem)
            : p.held ? QStringLiteral("held by ModemManager")
                     : portTip(appPath, port);
    return p;
}

PortDetector::Result PortDetector::DetectModem(SerialLine& line, const QString& appPath,
                                               const std::vector<MobileModem>& mobile) {
    Result r;
    bool inUse = false;
    int deniedPort = 0;
    QString deniedDevice;
    for (int port = 1; port <= ModemDialogState::kPorts; ++port) {
        line.close();
        const Port p = look(appPath, port, mobile);
        r.tips[port - 1] = p.tip;
        r.held[port - 1] = p.held;
        const QString device = ComPorts::devicePath(appPath, port);
        if (p.held)
            continue;
        if (!p.modem && (device.isEmpty() || !line.open(device, LineSettings()))) {
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

QString PortDetector::portTip(const QString& appPath, int port) {
    const QString where = QStringLiteral("line %1 of Config/ComPorts.cfg").arg(port);
    const QString modem = ComPorts::mobileModem(appPath, port);
    if (!modem.isEmpty())
        return QStringLiteral("Mobile modem %1 (%2)").arg(modem, where);
    const QString device = ComPorts::devicePath(appPath, port);
    return device.isEmpty() ? QStringLiteral("No device: %1 names none").arg(where)
                            : QStringLiteral("%1 (%2)").arg(device, where);
}

QString PortDetector::modemName(const MobileModem& modem) {
    QStringList names;
    for (const QString& name : {modem.manufacturer, modem.model})
        if (!name.trimmed().isEmpty())
            names << name.trimmed();
    return names.isEmpty() ? modem.equipmentId : names.join(' ');
}

QString PortDetector::mobileTip(const MobileModem& modem) {
    QString tip = modemName(modem);
    if (tip == modem.equipmentId)
        tip = QStringLiteral("Mobile modem %1").arg(modem.equipmentId);
    if (!modem.operatorName.trimmed().isEmpty())
        tip += QStringLiteral(", ") + modem.operatorName.trimmed();
    return tip;
}
