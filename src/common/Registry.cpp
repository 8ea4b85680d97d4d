#include "common/Registry.h"

#include "common/MessageBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace {

// QSettings never saves an empty group, so a created key holds this entry.
// Value names never contain a '.' at the start in the catalogue, so it cannot clash.
const char* const kKeyMarker = ".key";
// Values longer than the reader's buffer read as "Error".
constexpr int kValueBuffer = 255;

struct Root {
    const char* name;
    quint32 handle;
};
constexpr Root kRoots[] = {
    {"HKEY_CLASSES_ROOT", 0x80000000u},     {"HKEY_CURRENT_USER", 0x80000001u},
    {"HKEY_LOCAL_MACHINE", 0x80000002u},    {"HKEY_USERS", 0x80000003u},
    {"HKEY_PERFORMANCE_DATA", 0x80000004u}, {"HKEY_CURRENT_CONFIG", 0x80000005u},
    {"HKEY_DYN_DATA", 0x80000006u}};

QString rootName(quint32 handle) {
    for (const Root& r : kRoots)
        if (r.handle == handle)
            return QString::fromLatin1(r.name);
    return QString();
}

// One INI group per key: the root name and the sub-key components joined by '/'.
QString groupOf(quint32 root, const QString& subKey) {
    QStringList parts{rootName(root)};
    for (const QString& p : subKey.split('\\', Qt::SkipEmptyParts))
        parts << p;
    return parts.join('/');
}

bool keyExists(QSettings& s, const QString& group) {
    if (!group.contains('/'))
        return true; // a root key always exists
    s.beginGroup(group);
    const bool exists = s.contains(kKeyMarker);
    s.endGroup();
    return exists;
}

QString asText(const QVariant& v) {
    // A stored text with a comma may come back as a list.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(',');
    return v.toString();
}

} // namespace

namespace Registry {

QString storePath() {
    const QString env = qEnvironmentVariable("QUORVEL_REGISTRY");
    if (!env.isEmpty())
        return env;
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + "/.config";
    return base + "/Quorvel/registry.ini";
}

quint32 GetRootKey(const QString& rootNameText) {
    for (const Root& r : kRoots)
        if (rootNameText == QLatin1String(r.name))
            return r.handle;
    return 0;
}

quint32 SplitKeyPath(QString& path) {
    if (!path.startsWith("HKEY_") || path.endsWith('\\')) {
        MessageBox::show("Incorrect Format:\n\n" + path, QCoreApplication::applicationName(),
                         MessageBox::Icon::None, MessageBox::Buttons::Ok);
        return 0;
    }
    const qsizetype p = path.indexOf('\\');
    if (p < 0) {
        const quint32 root = GetRootKey(path);
        path.clear();
        return root;
    }
    const quint32 root = GetRootKey(path.left(p));
    path = path.mid(p + 1);
    return root;
}

QString ReadRegistryValue(const QString& keyPath, const QString& valueName) {
    QString sub = keyPath;
    const quint32 root = SplitKeyPath(sub);
    if (root == 0)
        return QString();
    QSettings s(storePath(), QSettings::IniFormat);
    // A damaged line elsewhere in the store is no reason to refuse this value,
    // and the store reports it only to the first reader after a change.
    if (s.status() == QSettings::AccessError)
        return kError;
    const QString group = groupOf(root, sub);
    if (!keyExists(s, group))
        return kError;
    s.beginGroup(group);
    const QVariant v = s.value(valueName);
    s.endGroup();
    if (!v.isValid())
        return kError;
    const QString text = asText(v);
    if (text.size() >= kValueBuffer)
        return kError;
    return text;
}

void CreateRegistryKey(const QString& keyPath) {
    QString sub = keyPath;
    const quint32 root = SplitKeyPath(sub);
    if (root == 0)
        return;
    QDir().mkpath(QFileInfo(storePath()).absolutePath());
    QSettings s(storePath(), QSettings::IniFormat);
    const QString group = groupOf(root, sub);
    if (keyExists(s, group))
        return;
    s.beginGroup(group);
    s.setValue(kKeyMarker, QString());
    s.endGroup();
    s.sync();
}

void WriteRegistryValue(const QString& keyPath, const QString& valueName, const QString& value) {
    QString sub = keyPath;
    const quint32 root = SplitKeyPath(sub);
    if (root == 0)
        return;
    QSettings s(storePath(), QSettings::IniFormat);
    const QString group = groupOf(root, sub);
    if (!keyExists(s, group))
        return;
    s.beginGroup(group);
    s.setValue(valueName, value);
    s.endGroup();
    s.sync();
}

QString readSetting(const QString& valueName) {
    return ReadRegistryValue(QString::fromLatin1(kSettingsKey), valueName);
}

void writeSetting(const QString& valueName, const QString& value) {
    WriteRegistryValue(QString::fromLatin1(kSettingsKey), valueName, value);
}

} // namespace Registry
