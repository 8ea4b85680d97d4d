#include "mm/MmModem.h"

#include "mm/MmTypes.h"
#include "mobile/ModemManagerNames.h"

#include <QDateTime>

namespace {
using namespace ModemManagerNames;
const QString kImei = QStringLiteral("490154203237518");
constexpr unsigned kPortAt = 3;
constexpr unsigned kStatusReport = 3;

QString now() {
    return QDateTime::currentDateTimeUtc().toOffsetFromUtc(0).toString(Qt::ISODate);
}

QString smsPath(int id) {
    return QStringLiteral("/org/freedesktop/ModemManager1/SMS/%1").arg(id);
}
} // namespace

MmModem::MmModem(const SimOptions& options) : m_options(options) {}

QString MmModem::path() {
    return QStringLiteral("/org/freedesktop/ModemManager1/Modem/0");
}

void MmModem::vanish() {
    m_present = false;
    m_sms.clear();
}

QStringList MmModem::interfaces() const {
    if (!m_present)
        return {};
    if (m_options.mmLocked)
        return {kModem};
    return {kModem, kModem3gpp, kMessaging};
}

QVariantMap MmModem::properties(const QString& interface) const {
    if (!interfaces().contains(interface))
        return {};
    // MMModemState and MMModem3gppRegistrationState for each fault.
    int state = 8;             // registered
    unsigned registration = 1; // home
    if (m_options.mmLocked)
        state = 2;
    if (m_options.mmDisabled) {
        state = 3;        // disabled
        registration = 0; // idle
    }
    if (m_options.mmNotRegistered) {
        state = 7;        // searching
        registration = 2; // searching
    }
    if (interface == kModem) {
        const MmPorts ports{{"ttySIM0", kPortAt}};
        return {{"EquipmentIdentifier", kImei},
                {"Manufacturer", "Quorvel"},
                {"Model", "Simulated LTE modem"},
                {"Revision", "smscsim"},
                {"State", state},
                {"PrimaryPort", "ttySIM0"},
                {"Ports", QVariant::fromValue(ports)},
                {"SignalQuality", QVariant::fromValue(MmSignalQuality{80, true})},
                {"UnlockRequired", m_options.mmLocked ? 2u : 1u}}; // SIM PIN, or none
    }
    if (interface == kModem3gpp)
        return {{"Imei", kImei},
                {"RegistrationState", registration},
                {"OperatorCode", registration == 1 ? "00101" : ""},
                {"OperatorName", registration == 1 ? "Simnet" : ""}};
    return {{"Messages", QVariant::fromValue(messages())}};
}

bool MmModem::canSend() const {
    return m_present && !m_options.mmLocked && !m_options.mmDisabled && !m_options.mmNotRegistered;
}

QString MmModem::add(const MmSms& sms) {
    m_sms[m_nextSms] = sms;
    return smsPath(m_nextSms++);
}

QString MmModem::create(const QString& number, const QString& text, bool wantReport) {
    MmSms sms;
    sms.number = number;
    sms.text = text;
    sms.wantReport = wantReport;
    return add(sms);
}

MmSms* MmModem::sms(const QString& path) {
    for (auto& [id, sms] : m_sms)
        if (smsPath(id) == path)
            return &sms;
    return nullptr;
}

QVariantMap MmModem::smsProperties(const MmSms& sms) const {
    return {{"State", sms.state},
            {"PduType", sms.pduType},
            {"Number", sms.number},
            {"Text", sms.text},
            {"DeliveryReportRequest", sms.wantReport},
            {"MessageReference", sms.reference},
            {"DeliveryState", sms.deliveryState},
            {"Timestamp", sms.timestamp},
            {"DischargeTimestamp", sms.dischargeTimestamp}};
}

QList<QDBusObjectPath> MmModem::messages() const {
    QList<QDBusObjectPath> paths;
    for (const auto& entry : m_sms)
        paths << QDBusObjectPath(smsPath(entry.first));
    return paths;
}

bool MmModem::remove(const QString& path) {
    for (auto it = m_sms.begin(); it != m_sms.end(); ++it)
        if (smsPath(it->first) == path) {
            m_sms.erase(it);
            return true;
        }
    return false;
}

void MmModem::sent(MmSms& sms) {
    sms.state = Sent;
    sms.reference = ++m_references & 0xFF; // TP-MR is one byte
    sms.timestamp = now();
}

QString MmModem::report(const MmSms& sent) {
    MmSms report;
    report.state = Received;
    report.pduType = kStatusReport;
    report.number = sent.number;
    report.reference = sent.reference;
    report.deliveryState = 0; // completed, received
    report.timestamp = sent.timestamp;
    report.dischargeTimestamp = now();
    return add(report);
}
