#pragma once

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QList>
#include <QMap>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

// The D-Bus shapes ModemManager's properties and ObjectManager answer with.

struct MmSignalQuality { // (ub)
    unsigned percent = 0;
    bool recent = false;
};

struct MmPort { // (su)
    QString name;
    unsigned type = 0;
};
using MmPorts = QList<MmPort>;

using MmInterfaces = QMap<QString, QVariantMap>;              // a{sa{sv}}
using MmManagedObjects = QMap<QDBusObjectPath, MmInterfaces>; // a{oa{sa{sv}}}

Q_DECLARE_METATYPE(MmSignalQuality)
Q_DECLARE_METATYPE(MmPort)

inline QDBusArgument& operator<<(QDBusArgument& arg, const MmSignalQuality& value) {
    arg.beginStructure();
    arg << value.percent << value.recent;
    arg.endStructure();
    return arg;
}

inline const QDBusArgument& operator>>(const QDBusArgument& arg, MmSignalQuality& value) {
    arg.beginStructure();
    arg >> value.percent >> value.recent;
    arg.endStructure();
    return arg;
}

inline QDBusArgument& operator<<(QDBusArgument& arg, const MmPort& value) {
    arg.beginStructure();
    arg << value.name << value.type;
    arg.endStructure();
    return arg;
}

inline const QDBusArgument& operator>>(const QDBusArgument& arg, MmPort& value) {
    arg.beginStructure();
    arg >> value.name >> value.type;
    arg.endStructure();
    return arg;
}

void registerMmTypes();
