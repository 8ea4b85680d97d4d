#include "client/shell/ClientSettings.h"

#include "common/Registry.h"
#include "common/Val.h"

namespace {

void storeIfMissing(const char* name, const char* value) {
    if (Registry::readSetting(name) == Registry::kError)
        Registry::writeSetting(name, value);
}

int readNumber(const char* name, int fallback) {
    const QString v = Registry::readSetting(name);
    if (v == Registry::kError)
        return fallback;
    return static_cast<int>(leadingNumber(v));
}

} // namespace

ClientSettings ClientSettings::loadWithDefaults() {
    Registry::CreateRegistryKey(Registry::kSettingsKey);
    storeIfMissing("OUT_DIAL", "-1");
    storeIfMissing("MODEM_CONN", "2");
    storeIfMissing("OUT_DIAL_OPTION", "0");
    storeIfMissing("SHOW_OPTION", "0");
    storeIfMissing("SHOW_OUTLOOK", "0");

    // A store that cannot be written still reads as the defaults.
    ClientSettings s;
    s.outDialOption = readNumber("OUT_DIAL_OPTION", 0);
    s.outDial = readNumber("OUT_DIAL", -1);
    s.ConnectionType = readNumber("MODEM_CONN", 2);
    s.IEWarningOff = readNumber("SHOW_OPTION", 0) != 0;
    s.OutlookWarningOff = readNumber("SHOW_OUTLOOK", 0) != 0;
    return s;
}
