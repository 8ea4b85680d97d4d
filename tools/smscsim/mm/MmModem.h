#pragma once

#include "SimOptions.h"

#include <QDBusObjectPath>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <map>

// One SMS object: made to send, or a delivery report that came in.
struct MmSms {
    unsigned state = 1;   // stored
    unsigned pduType = 2; // submit
    QString number;
    QString text;
    bool wantReport = false;
    unsigned reference = 0;
    unsigned deliveryState = 0x100; // unknown
    QString timestamp;
    QString dischargeTimestamp;
};

// The simulated modem's state and messages, with no bus in it: the bus
// side asks it for properties and tells it what happened.
class MmModem {
public:
    enum SmsState : unsigned { Stored = 1, Received = 3, Sending = 4, Sent = 5 };

    explicit MmModem(const SimOptions& options);

    static QString path();
    bool present() const { return m_present; }
    void vanish();
    // The interfaces it shows now (a locked modem only shows its own).
    QStringList interfaces() const;
    // Its properties on `interface`; none for an interface it does not show.
    QVariantMap properties(const QString& interface) const;
    bool canSend() const;

    QString create(const QString& number, const QString& text, bool wantReport);
    MmSms* sms(const QString& path);
    QVariantMap smsProperties(const MmSms& sms) const;
    QList<QDBusObjectPath> messages() const;
    bool remove(const QString& path);
    // Marks `sms` sent with the next message reference.
    void sent(MmSms& sms);
    // Stores the delivery report of `sent`; its path.
    QString report(const MmSms& sent);

private:
    QString add(const MmSms& sms);

    const SimOptions& m_options;
    bool m_present = true;
    std::map<int, MmSms> m_sms;
    int m_nextSms = 0;
    unsigned m_references = 0;
};
