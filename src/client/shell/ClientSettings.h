#pragma once

#include "common/Colour.h"

#include <QString>
#include <optional>

// Process-wide settings and flags shared between the client's windows.
struct ClientSettings {
    // MODEM_CONN as held in memory: 0 Modem; 1 Internet (stored); -1 Internet
    // (chosen since this start); 2 not chosen yet.
    int ConnectionType = 2;
    int outDial = -1;
    int outDialOption = 0;
    bool IEWarningOff = false;      // SHOW_OPTION
    bool OutlookWarningOff = false; // SHOW_OUTLOOK
    bool StartInTray = false;
    bool OutlookEnabled = false;
    bool noPort = false;
    // Empty until the options window has loaded.
    std::optional<Colour> BackColour;

    bool isModem() const { return ConnectionType == 0; }
    bool isInternet() const { return ConnectionType == 1 || ConnectionType == -1; }

    // Stores the missing defaults (creating the key first), then reads them.
    static ClientSettings loadWithDefaults();
};
