#pragma once

#include <QString>

// What the Internet route changes in the main window. The shell implements
// it; this area never includes the other areas' windows.
class InternetControls {
public:
    virtual ~InternetControls() = default;
    virtual void setMainWindowEnabled(bool enabled) = 0;
    virtual void showMainWindow() = 0;
    // lblRemaining of the "Quorvel Messages" frame.
    virtual void setRemaining(const QString& text) = 0;
};
