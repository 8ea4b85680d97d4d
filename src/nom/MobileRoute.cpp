#include "nom/MobileRoute.h"

#include "common/Clock.h"
#include "common/ComPorts.h"
#include "common/DeliveryReport.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "mobile/ReportWatcher.h"
#include "nom/BrindleConfig.h"
#include "nom/Modem.h"
#include "nom/QueueEntry.h"
#include "nom/StatusLog.h"

using namespace ExchangeFiles;

namespace {

// ModemManager's calls besides the send; a send may wait as long as an SMSC's answer.
constexpr int kCallTimeoutMs = 10000;
constexpr int kSendTimeoutMs = 60000;

std::optional<qint64> numericId(const QString& entry) {
    const QString id = QueueEntry::id(entry);
    bool ok = false;
    const qint64 n = id.mid(1, id.size() - 2).toLongLong(&ok);
    if (!id.startsWith('[') || !id.endsWith(']') || !ok)
        return std::nullopt;
    return n;
}

} // namespace

Failure mobileFailure(MobileSendResult::Kind kind) {
    using Kind = MobileSendResult::Kind;
    switch (kind) {
    case Kind::Accepted:
        return Failure::None;
    case Kind::NoModem:
        return Failure::MobileMissing;
    case Kind::Unusable:
        return Failure::MobileUnusable;
    case Kind::Locked:
        return Failure::MobileLocked;
    case Kind::Disabled:
        return Failure::MobileDisabled;
    case Kind::NotRegistered:
        return Failure::NotRegistered;
    case Kind::Rejected:
        return Failure::NetworkRejected;
    case Kind::TimedOut:
        return Failure::SendTimedOut;
    case Kind::Gone:
        return Failure::MobileGone;
    }
    return Failure::MobileUnusable;
}

Failure mobileFailure(ModemReadiness readiness) {
    switch (readiness) {
    case ModemReadiness::Ready:
        return Failure::None;
    case ModemReadiness::Locked:
        return Failure::MobileLocked;
    case ModemReadiness::Disabled:
        return Failure::MobileDisabled;
    case ModemReadiness::NotRegistered:
        return Failure::NotRegistered;
    case ModemReadiness::Unusable:
        break;
    }
    return Failure::MobileUnusable;
}

std::unique_ptr<MobileRoute> MobileRoute::forPort(const BrindleConfig& config, StatusLog& status,
                                                  Modem& modem) {
    bool ok = false;
    const int port = config.portText.trimmed().toInt(&ok);
    const QString id = ok ? ComPorts::mobileModem(config.appPath, port) : QString();
    if (id.isEmpty())
        return nullptr;
    return std::make_unique<MobileRoute>(id, config, status, modem);
}

MobileRoute::MobileRoute(QString equipmentId, const BrindleConfig& config, StatusLog& status,
                         Modem& modem, QDBusConnection bus)
    : m_equipmentId(std::move(equipmentId)), m_config(config), m_status(status), m_modem(modem),
      m_modems(kCallTimeoutMs, std::move(bus)) {}

MobileRoute::~MobileRoute() = default;

Failure MobileRoute::open() {
    const std::optional<MobileModem> found = m_modems.find(m_equipmentId);
    const Failure failure =
        found ? mobileFailure(found->readiness()) : mobileFailure(MobileSendResult::Kind::NoModem);
    if (failure != Failure::None) {
        m_status.DisplayStatus(statusText(failure) + QStringLiteral(" : ") + m_equipmentId);
        return failure;
    }
    if (m_modemPath != found->path || !m_watcher) {
        m_modemPath = found->path;
        m_status.DisplayStatus(QStringLiteral("Mobile modem : ") + found->manufacturer + ' ' +
                               found->model + QStringLiteral(" on ") + found->operatorName);
        const QString refs = path(m_config.appPath, kReferences);
        const QDateTime now = Clock::instance().now();
        QList<SentReferences::Sent> all;
        for (const QString& line : LineFile::readAll(refs))
            if (const auto s = SentReferences::parse(line))
                all << *s;
        m_sent = SentReferences::recent(all, now);
        // Only Brindle writes the file, and one Brindle runs at a time.
        if (m_sent.size() < all.size()) {
            QStringList kept;
            for (const SentReferences::Sent& s : m_sent)
                kept << SentReferences::line(s);
            LineFile::rewrite(refs, kept);
        }
        m_watcher = std::make_unique<ReportWatcher>(m_modems, m_modemPath);
        QObject::connect(m_watcher.get(), &ReportWatcher::reportArrived, m_watcher.get(),
                         [this](const MobileStatusReport& r) { take(r); });
        for (const MobileStatusReport& r : m_modems.reports(m_modemPath))
            take(r);
    }
    return Failure::None;
}

TapSession::Result MobileRoute::send(const QString& entry, const QueueEntry& parsed) {
    m_status.DisplayStatus(parsed.text);
    const bool wantReport = m_config.tuning.deliveryReports == 1;
    const MobileSendResult sent =
        m_modems.send(m_modemPath, parsed.number, parsed.text, wantReport, kSendTimeoutMs);
    if (!sent.smsPath.isEmpty() && sent.kind != MobileSendResult::Kind::Gone)
        m_modems.remove(m_modemPath, sent.smsPath);
    TapSession::Result r;
    r.failure = mobileFailure(sent.kind);
    if (r.failure != Failure::None) {
        QString text = statusText(r.failure);
        if (!sent.errorName.isEmpty())
            text += QStringLiteral(" : ") + sent.errorName;
        m_status.DisplayStatus(text + QStringLiteral(" : ") + QueueEntry::id(entry));
        return r;
    }
    r.accepted = true;
    m_status.DisplayStatus(QStringLiteral("Message Accepted"));
    r.answer = QStringLiteral("Message Reference : %1").arg(sent.reference);
    if (const auto id = numericId(entry)) {
        const SentReferences::Sent s{*id, sent.reference, parsed.number, Clock::instance().now()};
        m_sent << s;
        if (wantReport)
            m_awaited.insert(*id);
        if (!LineFile::append(path(m_config.appPath, kReferences), SentReferences::line(s)))
            m_status.DisplayStatus(QStringLiteral("Cannot write Brindle.ref : ") + entry);
    }
    m_modem.pause(m_config.tuning.acceptPauseMs);
    // The window's Exit is seen between messages, even with no pause.
    Clock::instance().pumpEvents(0);
    return r;
}

void MobileRoute::take(const MobileStatusReport& report) {
    const DeliveryOutcome outcome = report.outcome();
    if (outcome == DeliveryOutcome::Pending)
        return;
    const QDateTime now = Clock::instance().now();
    const auto id = SentReferences::match(m_sent, report.reference, report.number, now);
    if (id) {
        const bool delivered = outcome == DeliveryOutcome::Delivered;
        if (!LineFile::append(path(m_config.appPath, kDeliveryReports),
                              DeliveryReport::line(*id, delivered, now))) {
            m_status.DisplayStatus(QStringLiteral("Cannot write Brindle.dlv : report kept"));
            return;
        }
        m_awaited.remove(*id);
        m_status.DisplayStatus(
            QStringLiteral("Delivery report : [%1] %2")
                .arg(*id)
                .arg(delivered ? QStringLiteral("delivered") : QStringLiteral("failed")));
    } else {
        m_status.DisplayStatus(
            QStringLiteral("Delivery report for no message sent, deleted : reference %1 %2")
                .arg(report.reference)
                .arg(StatusLog::visible(report.number)));
    }
    m_modems.remove(m_modemPath, report.path);
}

void MobileRoute::awaitReports() {
    const int wait = m_config.tuning.reportWaitSeconds;
    if (m_awaited.isEmpty() || wait == 0 || m_modem.cancelled())
        return;
    m_status.DisplayStatus(QStringLiteral("Waiting for delivery reports"));
    const qint64 deadline = Clock::instance().monotonicMs() + qint64(wait) * 1000;
    qint64 left = 0;
    while (!m_awaited.isEmpty() && !m_modem.cancelled() &&
           (left = deadline - Clock::instance().monotonicMs()) > 0)
        Clock::instance().pumpEvents(left);
    if (!m_awaited.isEmpty())
        m_status.DisplayStatus(
            QStringLiteral("Delivery reports still awaited : %1").arg(m_awaited.size()));
}
