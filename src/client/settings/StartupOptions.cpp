#include "client/settings/StartupOptions.h"

#include "client/settings/ClientSettings.h"
#include "client/settings/MoodColours.h"
#include "common/Setting.h"
#include "common/Val.h"

StartupOptions::StartupOptions(ClientSettings& settings) : m_settings(settings) {}

StartupOptions::Shown StartupOptions::load() {
    Shown shown;
    m_settings.BackColour = MoodColours::defaultColour();
    const QString colourText = Setting::read(Setting::BackColour);
    const QString trayText = Setting::read(Setting::StartInTray);

    // "Error" has no leading number and so counts as 0.
    const long long tray = leadingNumber(trayText);
    if (tray == 0) {
        shown.startInTrayTicked = false;
        m_settings.StartInTray = false;
    } else if (tray == 1) {
        shown.startInTrayTicked = true;
        m_settings.StartInTray = true;
    } else {
        shown.startInTrayTicked = m_settings.StartInTray;
    }

    const long long n = leadingNumber(colourText);
    m_settings.BackColour = MoodColours::colourAt(n);
    shown.colourPosition = (n >= 0 && n < MoodColours::names().size()) ? static_cast<int>(n) : -1;
    return shown;
}

void StartupOptions::chooseStartInTray(bool ticked) {
    m_settings.StartInTray = ticked;
    Setting::write(Setting::StartInTray, ticked ? "1" : "0");
}

void StartupOptions::chooseColour(int position) {
    m_settings.BackColour = MoodColours::colourAt(position);
    Setting::write(Setting::BackColour, QString::number(position));
}

void StartupOptions::start(bool outlookTicked) {
    m_settings.OutlookEnabled = outlookTicked;
}
