#pragma once

#include "common/Colour.h"

#include <optional>

// MODEM_CONN as held in memory. Internet chosen in the connection settings
// since this start is told apart from Internet as stored.
enum class ConnectionType { Modem = 0, Internet = 1, InternetChosenNow = -1, NotChosen = 2 };

// The stored value as the client holds it: a value of no connection counts as not chosen.
ConnectionType connectionTypeFromStored(long long value);

// Process-wide settings and flags shared between the client's windows.
struct ClientSettings {
    ConnectionType connection = ConnectionType::NotChosen;
    bool StartInTray = false;
    bool OutlookEnabled = false;
    // SHOW_OUTLOOK is not "0": the number-format warning is not shown.
    bool OutlookWarningOff = false;
    // Set by the connection settings when the modem route has no usable port.
    bool noPort = false;
    // OUT_DIAL (-1: no prefix) and OUT_DIAL_OPTION as loaded; the connection
    // settings change them when they store them.
    int OutDial = -1;
    int OutDialOption = 0;
    // The Internet notice is not to be shown (SHOW_OPTION not 0).
    bool IEWarningOff = false;
    // The notice was last answered with Yes.
    bool IEWarningAccepted = false;
    // Empty until the options window has loaded.
    std::optional<Colour> BackColour;

    bool isModem() const { return connection == ConnectionType::Modem; }
    bool isInternet() const {
        return connection == ConnectionType::Internet ||
               connection == ConnectionType::InternetChosenNow;
    }

    // Stores the missing defaults (creating the key first), then reads them.
    static ClientSettings loadWithDefaults();
};
