#include "client/settings/ClientSettings.h"

#include "common/Registry.h"
#include "common/Setting.h"

ConnectionType connectionTypeFromStored(long long value) {
    switch (value) {
    case 0:
        return ConnectionType::Modem;
    case 1:
        return ConnectionType::Internet;
    case -1:
        return ConnectionType::InternetChosenNow;
    default:
        return ConnectionType::NotChosen;
    }
}

ClientSettings ClientSettings::loadWithDefaults() {
    Registry::CreateRegistryKey(Registry::kSettingsKey);
    for (const auto& key : {Setting::OutDial, Setting::ModemConn, Setting::OutDialOption,
                            Setting::ShowOption, Setting::ShowOutlook})
        Setting::storeDefaultIfMissing(key);

    // A store that cannot be written still reads as the defaults.
    ClientSettings s;
    s.connection = connectionTypeFromStored(Setting::readNumber(Setting::ModemConn, 2));
    s.OutlookWarningOff = Setting::readNumber(Setting::ShowOutlook, 0) != 0;
    return s;
}
