#include "client/settings/ClientSettings.h"

#include "common/Registry.h"
#include "common/Setting.h"

#include <QUuid>

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
                            Setting::ShowOption, Setting::ShowOutlook, Setting::ServerUrl})
        Setting::storeDefaultIfMissing(key);
    // The service knows this installation by it, so it is made only once.
    const QString id = Setting::read(Setting::UserId);
    if (id == QLatin1String(Registry::kError) || id.trimmed().isEmpty())
        Setting::write(Setting::UserId, QUuid::createUuid().toString(QUuid::WithoutBraces));

    // A store that cannot be written still reads as the defaults.
    ClientSettings s;
    s.connection = connectionTypeFromStored(Setting::readNumber(Setting::ModemConn, 2));
    // A prefix that no 16-bit number holds counts as none.
    const long long prefix = Setting::readNumber(Setting::OutDial, -1);
    s.OutDial = prefix >= -1 && prefix <= 32767 ? static_cast<int>(prefix) : -1;
    s.OutDialOption = Setting::readNumber(Setting::OutDialOption, 0) == 1 ? 1 : 0;
    s.IEWarningOff = Setting::readNumber(Setting::ShowOption, 0) != 0;
    s.OutlookWarningOff = Setting::readNumber(Setting::ShowOutlook, 0) != 0;
    return s;
}
