#include "client/shell/ClientSettings.h"

#include "common/Registry.h"
#include "common/Setting.h"

ClientSettings ClientSettings::loadWithDefaults() {
    Registry::CreateRegistryKey(Registry::kSettingsKey);
    for (const auto& key : {Setting::OutDial, Setting::ModemConn, Setting::OutDialOption,
                            Setting::ShowOption, Setting::ShowOutlook})
        Setting::storeDefaultIfMissing(key);

    // A store that cannot be written still reads as the defaults.
    ClientSettings s;
    s.outDialOption = static_cast<int>(Setting::readNumber(Setting::OutDialOption, 0));
    s.outDial = static_cast<int>(Setting::readNumber(Setting::OutDial, -1));
    s.ConnectionType = static_cast<int>(Setting::readNumber(Setting::ModemConn, 2));
    s.IEWarningOff = Setting::readNumber(Setting::ShowOption, 0) != 0;
    s.OutlookWarningOff = Setting::readNumber(Setting::ShowOutlook, 0) != 0;
    return s;
}
