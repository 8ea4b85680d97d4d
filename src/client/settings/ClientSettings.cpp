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
    return s;
}
