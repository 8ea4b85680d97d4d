#pragma once

struct ClientSettings;

// The options window's choices: read at its load, stored when the user
// changes them (loading alone never writes the store).
class StartupOptions {
public:
    explicit StartupOptions(ClientSettings& settings);

    // Reads CLSID:0XA7 and CLSID:0X5A; returns what the window shows.
    struct Shown {
        bool startInTrayTicked = false;
        int colourPosition = -1; // -1: no list entry selected
    };
    Shown load();

    void chooseStartInTray(bool ticked);
    void chooseColour(int position);
    void start(bool outlookTicked);

private:
    ClientSettings& m_settings;
};
