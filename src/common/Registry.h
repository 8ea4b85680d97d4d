#pragma once

#include <QString>

// The settings store. Key paths are full texts beginning with a root key name
// ("HKEY_LOCAL_MACHINE\SOFTWARE\..."); values are texts. The store is an INI
// file: $QUORVEL_REGISTRY when set, else $XDG_CONFIG_HOME/Quorvel/registry.ini.
namespace Registry {

inline constexpr const char* kSettingsKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ClassID";
inline constexpr const char* kError = "Error";

// Predefined handle of a root key name, 0 when the name is not one.
quint32 GetRootKey(const QString& rootName);
// Root handle; `path` becomes the sub-key path. A badly formed path shows the
// "Incorrect Format:" message and gives 0.
quint32 SplitKeyPath(QString& path);
// The value text; "Error" when the key or value cannot be read; an empty
// result when the root name is not recognised.
QString ReadRegistryValue(const QString& keyPath, const QString& valueName);
void CreateRegistryKey(const QString& keyPath);
// Writes only into an existing key; failures are silent.
void WriteRegistryValue(const QString& keyPath, const QString& valueName, const QString& value);

// Shorthands for the one key every setting lives under.
QString readSetting(const QString& valueName);
void writeSetting(const QString& valueName, const QString& value);

QString storePath();

} // namespace Registry
