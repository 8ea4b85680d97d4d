#pragma once

#include "client/modem_setup/ModemDialogState.h"
#include "mobile/MobileModems.h"

#include <QString>
#include <vector>

class SerialLine;

// Finds which of COM1 to COM4 can be opened. A port counts as found when it
// opens; nothing is sent to it, and a port another program holds is left
// alone. A mobile-modem port counts as found when ModemManager lists its
// modem; a device ModemManager holds is never opened.
class PortDetector {
public:
    struct Result {
        std::array<bool, ModemDialogState::kPorts> opened{};
        // The device is one of a mobile modem's ports.
        std::array<bool, ModemDialogState::kPorts> held{};
        std::array<QString, ModemDialogState::kPorts> tips;
        int count = 0;
        // The lowest port that opened; 0 for none.
        int lowest = 0;
        // The hint line for this result.
        QString hint;
    };

    // What a port line stands for, from what ModemManager lists.
    struct Port {
        QString tip;
        bool held = false;
        // The port is a mobile modem ModemManager lists.
        std::optional<MobileModem> modem;
    };
    static Port look(const QString& appPath, int port, const std::vector<MobileModem>& mobile);

    // `mobile` is what ModemManager lists; empty without it.
    static Result DetectModem(SerialLine& line, const QString& appPath,
                              const std::vector<MobileModem>& mobile = {});

    // The hint when a device is there but the user may not open it.
    static QString notPermittedHint(int port, const QString& device);
    // A port button's tool tip before ModemManager is asked.
    static QString portTip(const QString& appPath, int port);
    // Names the modem: manufacturer, model, operator.
    static QString mobileTip(const MobileModem& modem);
    // Maker and model, or the equipment id when ModemManager has neither.
    static QString modemName(const MobileModem& modem);
};
