#pragma once

#include <QString>
#include <array>

// What the connection dialog shows on its modem side: the three status texts,
// which buttons can be pressed and which port is chosen. The window mirrors
// it control by control.
struct ModemDialogState {
    static constexpr int kPorts = 4;

    // Headline.
    QString headline;
    // Explanation.
    QString explanation = QStringLiteral(
        "Choose the port connected with the modem or select TEST MODEM to detect the modem on "
        "selected port or select AUTO DETECT to automatically detect the port connected with "
        "modem.");
    // Hint line.
    QString hint;
    // Option1(1) to Option1(4).
    std::array<bool, kPorts> portEnabled{true, true, true, true};
    // What each port button stands for.
    std::array<QString, kPorts> portTips;
    // The chosen Option1 index; 0 for none.
    int selectedPort = 0;
    bool refreshEnabled = true;
    // OK.
    bool okEnabled = true;
    // Test Modem.
    bool testEnabled = true;
    // Auto Detect.
    bool autoDetectEnabled = true;
    // The frames, labels and prefix controls of the modem route.
    bool modemControlsEnabled = true;
    // The wait cursor and the small clock.
    bool busy = false;
    // A dial waits for its answer: the port buttons take no click.
    bool dialPending = false;
};
