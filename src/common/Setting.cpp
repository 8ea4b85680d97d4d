#include "common/Setting.h"

#include "common/Registry.h"
#include "common/Val.h"

namespace Setting {

QString read(const Key& key) {
    return Registry::readSetting(QString::fromLatin1(key.name));
}

QString readOrEmpty(const Key& key) {
    const QString v = read(key);
    return v == QLatin1String(Registry::kError) ? QString() : v;
}

void write(const Key& key, const QString& value) {
    Registry::writeSetting(QString::fromLatin1(key.name), value);
}

void storeDefaultIfMissing(const Key& key) {
    if (!key.storedDefault || read(key) != QLatin1String(Registry::kError))
        return;
    Registry::CreateRegistryKey(QString::fromLatin1(Registry::kSettingsKey));
    write(key, QString::fromLatin1(key.storedDefault));
}

QString readOrStoreDefault(const Key& key) {
    storeDefaultIfMissing(key);
    return read(key);
}

long long readNumber(const Key& key, long long fallback) {
    const QString v = read(key);
    return v == QLatin1String(Registry::kError) ? fallback : leadingNumber(v);
}

} // namespace Setting
