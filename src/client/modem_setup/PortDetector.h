#pragma once

#include "client/modem_setup/ModemDialogState.h"

#include <QString>

class SerialLine;

// Finds which of COM1 to COM4 can be opened. A port counts as found when it
// opens; nothing is sent to it, and a port another program holds is left
// alone.
class PortDetector {
public:
    struct Result {
        std::array<bool, ModemDialogState::kPorts> opened{};
        int count = 0;
        // The lowest port that opened; 0 for none.
        int lowest = 0;
        // The hint line for this result.
        QString hint;
    };

    static Result DetectModem(SerialLine& line, const QString& appPath);

    // The hint when a device is there but the user may not open it.
    static QString notPermittedHint(int port, const QString& device);
};
