#pragma once

// What the connection dialog changes in the main window. The shell implements
// it; the dialog never includes the shell.
class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;
    // Switches the main window's controls to a connection type's layout
    // (ConnectionType: 0 Modem, 1 or -1 Internet).
    virtual void applyConnectionLayout(int connectionType) = 0;
    // The main window's send button.
    virtual void setSendEnabled(bool enabled) = 0;
};
