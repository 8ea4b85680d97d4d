#pragma once

#include "mobile/ModemReadiness.h"

#include <QDBusConnection>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// One modem as ModemManager lists it.
struct MobileModem {
    QString path; // its object path
    QString equipmentId;
    QString manufacturer;
    QString model;
    int state = 0;              // MMModemState: failed -1 … connected 11
    QStringList ports;          // device names: "ttyUSB2", "cdc-wdm0"
    unsigned signalQuality = 0; // percent
    bool signalRecent = false;
    QString operatorName;
    unsigned registration = 4;   // MMModem3gppRegistrationState, unknown until read
    unsigned unlockRequired = 0; // MMModemLock: 1 none, 2 SIM PIN …

    ModemReadiness readiness() const { return modemReadiness(state, registration); }
};

// Whether ModemManager holds the serial device at `device`: one of a
// modem's ports is that device, links resolved.
bool heldByModemManager(const QString& device, const std::vector<MobileModem>& modems);

// How one send ended.
struct MobileSendResult {
    enum class Kind {
        Accepted,
        NoModem,
        Unusable,
        Locked,
        Disabled,
        NotRegistered,
        Rejected, // ModemManager refused: errorName says why
        TimedOut,
        Gone, // the modem vanished while sending
    };
    Kind kind = Kind::NoModem;
    unsigned reference = 0; // MessageReference, when accepted
    QString errorName;      // the D-Bus error, when refused or timed out
    QString smsPath;        // the SMS object made (to delete), empty when none was
};

// A delivery report stored on a modem.
struct MobileStatusReport {
    QString path;
    unsigned reference = 0;
    QString number;
    unsigned deliveryState = 0;
    QString timestamp;          // when the message centre took the message
    QString dischargeTimestamp; // when it was delivered, or failed

    DeliveryOutcome outcome() const { return deliveryOutcome(deliveryState); }
};

// ModemManager's modems over D-Bus. Every call is synchronous and gives up
// after its time-out: ModemManager can take long while a modem is busy. A
// send runs the event loop while it waits.
class MobileModems {
public:
    explicit MobileModems(int timeoutMs = 5000, QDBusConnection bus = QDBusConnection::systemBus());

    bool available() const;
    std::vector<MobileModem> modems() const;
    std::optional<MobileModem> find(const QString& equipmentId) const;

    // Creates an SMS on the modem and sends it; `timeoutMs` bounds the send.
    MobileSendResult send(const QString& modemPath, const QString& number, const QString& text,
                          bool wantReport, int timeoutMs) const;

    std::vector<MobileStatusReport> reports(const QString& modemPath) const;
    // The status report at `smsPath`; none when it is another kind of SMS or gone.
    std::optional<MobileStatusReport> report(const QString& smsPath) const;
    bool remove(const QString& modemPath, const QString& smsPath) const;

    QDBusConnection bus() const { return m_bus; }

private:
    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& args, int timeoutMs) const;
    QDBusMessage callResponsively(const QString& path, const QString& interface,
                                  const QString& method, const QVariantList& args,
                                  int timeoutMs) const;
    QVariantMap properties(const QString& path, const QString& interface) const;
    MobileSendResult failure(const QDBusMessage& reply, const QString& modemPath,
                             const QString& smsPath) const;

    int m_timeoutMs;
    QDBusConnection m_bus;
};
