#pragma once

#include "MessageRecord.h"
#include "SimOptions.h"
#include "mm/MmModem.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>

// ModemManager's objects on the bus: the manager, one modem, its SMS objects.
// Answers every call under the manager's path itself, so the names, types
// and errors on the wire are exactly what the client reads.
class MmService : public QDBusVirtualObject {
    Q_OBJECT
public:
    MmService(const SimOptions& options, QDBusConnection bus);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    void reply(const QDBusMessage& message, const QVariantList& values);
    void error(const QDBusMessage& message, const QString& name, const QString& text);
    void signal(const QString& path, const QString& interface, const QString& name,
                const QVariantList& values);
    void properties(const QDBusMessage& message);
    void messaging(const QDBusMessage& message);
    void send(const QDBusMessage& message);
    void finishSend(const QDBusMessage& message, const QString& smsPath, int attempt);
    QVariant managedObjects() const;

    const SimOptions& m_options;
    QDBusConnection m_bus;
    MmModem m_modem;
    MessageRecord m_record;
    int m_sends = 0;
};
