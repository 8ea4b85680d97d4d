#pragma once

#include "mobile/MobileModems.h"
#include "nom/Failure.h"
#include "nom/SentReferences.h"
#include "nom/TapSession.h"

#include <QSet>
#include <memory>

class BrindleConfig;
class Modem;
class ReportWatcher;
class StatusLog;
struct QueueEntry;

// What each way a send or a modem fails becomes for the run.
Failure mobileFailure(MobileSendResult::Kind kind);
Failure mobileFailure(ModemReadiness readiness);

// The way out when Port.cfg names a mobile modem that ModemManager owns: each
// entry is one SMS, no call and no log-on. It reports its own failures, and
// keeps what delivery reports need (Brindle.ref) and records them (Brindle.dlv).
class MobileRoute {
public:
    // Nothing when the configured port is not a mobile modem.
    static std::unique_ptr<MobileRoute> forPort(const BrindleConfig& config, StatusLog& status,
                                                Modem& modem);
    MobileRoute(QString equipmentId, const BrindleConfig& config, StatusLog& status, Modem& modem,
                QDBusConnection bus = QDBusConnection::systemBus());
    ~MobileRoute();

    // The modem, fit to send; reports start to be taken from the first time.
    Failure open();
    // One entry ("[12] …") sent; its waits are the configured pauses.
    TapSession::Result send(const QString& entry, const QueueEntry& parsed);
    // With the queue empty: up to ReportWaitSeconds for this run's reports.
    void awaitReports();

private:
    void take(const MobileStatusReport& report);

    QString m_equipmentId;
    const BrindleConfig& m_config;
    StatusLog& m_status;
    Modem& m_modem;
    MobileModems m_modems;
    QString m_modemPath;
    std::unique_ptr<ReportWatcher> m_watcher;
    QList<SentReferences::Sent> m_sent;
    // Ids sent in this run whose final report has not come.
    QSet<qint64> m_awaited;
};
