#pragma once

#include "client/settings/ClientSettings.h"

// What the connection dialog changes in the main window. The shell implements
// it; the dialog never includes the shell.
class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;
    // Switches the main window's controls to a connection type's layout.
    virtual void applyConnectionLayout(ConnectionType connection) = 0;
    // The main window's send button.
    virtual void setSendEnabled(bool enabled) = 0;
};
