#include "mobile/MobileModems.h"

#include "mobile/ModemManagerNames.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

#include <algorithm>

namespace {
using namespace ModemManagerNames;
constexpr unsigned kSmsSent = 5;
constexpr unsigned kStatusReport = 3;

using Interfaces = QMap<QString, QVariantMap>;

// A dangling link (a device not plugged in) has no canonical path: its
// links are followed by hand.
QString resolved(const QString& path) {
    QFileInfo info(path);
    for (int hops = 0; hops < 16 && info.isSymLink(); ++hops)
        info.setFile(info.symLinkTarget());
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// a{oa{sa{sv}}}, the answer of GetManagedObjects.
QMap<QString, Interfaces> managedObjects(const QDBusArgument& arg) {
    QMap<QString, Interfaces> objects;
    arg.beginMap();
    while (!arg.atEnd()) {
        QDBusObjectPath path;
        Interfaces interfaces;
        arg.beginMapEntry();
        arg >> path;
        arg.beginMap();
        while (!arg.atEnd()) {
            QString name;
            QVariantMap properties;
            arg.beginMapEntry();
            arg >> name >> properties;
            arg.endMapEntry();
            interfaces.insert(name, properties);
        }
        arg.endMap();
        arg.endMapEntry();
        objects.insert(path.path(), interfaces);
    }
    arg.endMap();
    return objects;
}

// Ports, a(su): the names only.
QStringList portNames(const QVariant& value) {
    QStringList names;
    const auto arg = value.value<QDBusArgument>();
    if (!value.canConvert<QDBusArgument>() || arg.currentSignature() != "a(su)")
        return names;
    arg.beginArray();
    while (!arg.atEnd()) {
        QString name;
        unsigned type = 0;
        arg.beginStructure();
        arg >> name >> type;
        arg.endStructure();
        names << name;
    }
    arg.endArray();
    return names;
}

// SignalQuality, (ub).
void readSignal(const QVariant& value, MobileModem& modem) {
    const auto arg = value.value<QDBusArgument>();
    if (!value.canConvert<QDBusArgument>() || arg.currentSignature() != "(ub)")
        return;
    arg.beginStructure();
    arg >> modem.signalQuality >> modem.signalRecent;
    arg.endStructure();
}

MobileModem modemFrom(const QString& path, const Interfaces& interfaces) {
    const QVariantMap modem = interfaces.value(kModem);
    const QVariantMap gpp = interfaces.value(kModem3gpp);
    MobileModem m;
    m.path = path;
    m.equipmentId = modem.value("EquipmentIdentifier").toString();
    m.manufacturer = modem.value("Manufacturer").toString();
    m.model = modem.value("Model").toString();
    m.state = modem.value("State", 0).toInt();
    m.ports = portNames(modem.value("Ports"));
    readSignal(modem.value("SignalQuality"), m);
    m.unlockRequired = modem.value("UnlockRequired", 0).toUInt();
    m.operatorName = gpp.value("OperatorName").toString();
    m.registration = gpp.value("RegistrationState", 4).toUInt();
    return m;
}

bool failed(const QDBusMessage& reply) {
    return reply.type() != QDBusMessage::ReplyMessage;
}
} // namespace

bool heldByModemManager(const QString& device, const std::vector<MobileModem>& modems) {
    if (device.isEmpty() || modems.empty())
        return false;
    const QString mine = resolved(device);
    for (const MobileModem& modem : modems)
        for (const QString& name : modem.ports)
            if (resolved(QStringLiteral("/dev/") + name) == mine)
                return true;
    return false;
}

MobileModems::MobileModems(int timeoutMs, QDBusConnection bus)
    : m_timeoutMs(timeoutMs), m_bus(std::move(bus)) {}

QDBusMessage MobileModems::call(const QString& path, const QString& interface,
                                const QString& method, const QVariantList& args,
                                int timeoutMs) const {
    auto message = QDBusMessage::createMethodCall(kService, path, interface, method);
    message.setArguments(args);
    return m_bus.call(message, QDBus::Block, timeoutMs);
}

// A send takes as long as the network: the program's window goes on
// answering meanwhile (Exit is seen once the send has ended, never cutting it
// short, so a message the network took is never sent twice).
QDBusMessage MobileModems::callResponsively(const QString& path, const QString& interface,
                                            const QString& method, const QVariantList& args,
                                            int timeoutMs) const {
    auto message = QDBusMessage::createMethodCall(kService, path, interface, method);
    message.setArguments(args);
    QDBusPendingCall pending = m_bus.asyncCall(message, timeoutMs);
    if (QCoreApplication::instance() && !pending.isFinished()) {
        QDBusPendingCallWatcher watcher(pending);
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        if (!watcher.isFinished())
            loop.exec();
    }
    pending.waitForFinished();
    return pending.reply();
}

QVariantMap MobileModems::properties(const QString& path, const QString& interface) const {
    const QDBusMessage reply = call(path, kProperties, "GetAll", {interface}, m_timeoutMs);
    if (failed(reply) || reply.signature() != "a{sv}")
        return {};
    return qdbus_cast<QVariantMap>(reply.arguments().at(0));
}

bool MobileModems::available() const {
    auto message = QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "NameHasOwner");
    message << kService;
    const QDBusMessage reply = m_bus.call(message, QDBus::Block, m_timeoutMs);
    return !failed(reply) && reply.signature() == "b" && reply.arguments().at(0).toBool();
}

std::vector<MobileModem> MobileModems::modems() const {
    const QDBusMessage reply =
        call(kManagerPath, kObjectManager, "GetManagedObjects", {}, m_timeoutMs);
    std::vector<MobileModem> list;
    // A reply of another shape than ModemManager's is read as no modems at all.
    if (failed(reply) || reply.signature() != "a{oa{sa{sv}}}")
        return list;
    const auto objects = managedObjects(reply.arguments().at(0).value<QDBusArgument>());
    for (auto it = objects.begin(); it != objects.end(); ++it)
        if (it->contains(kModem))
            list.push_back(modemFrom(it.key(), *it));
    return list;
}

std::optional<MobileModem> MobileModems::find(const QString& equipmentId) const {
    for (const MobileModem& modem : modems())
        if (modem.equipmentId == equipmentId)
            return modem;
    return std::nullopt;
}

MobileSendResult MobileModems::failure(const QDBusMessage& reply, const QString& modemPath,
                                       const QString& smsPath) const {
    using Kind = MobileSendResult::Kind;
    MobileSendResult result{Kind::Rejected, 0, reply.errorName(), smsPath};
    // No answer in time says nothing of the modem: it may have sent.
    if (reply.errorName() == "org.freedesktop.DBus.Error.NoReply" ||
        reply.errorName() == "org.freedesktop.DBus.Error.Timeout") {
        result.kind = Kind::TimedOut;
        return result;
    }
    const auto stillThere = [&](const MobileModem& m) { return m.path == modemPath; };
    const auto list = modems();
    if (std::none_of(list.begin(), list.end(), stillThere))
        result.kind = Kind::Gone;
    return result;
}

MobileSendResult MobileModems::send(const QString& modemPath, const QString& number,
                                    const QString& text, bool wantReport, int timeoutMs) const {
    using Kind = MobileSendResult::Kind;
    const auto list = modems();
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const MobileModem& m) { return m.path == modemPath; });
    if (it == list.end())
        return {Kind::NoModem, 0, {}, {}};
    switch (it->readiness()) {
    case ModemReadiness::Ready:
        break;
    case ModemReadiness::Unusable:
        return {Kind::Unusable, 0, {}, {}};
    case ModemReadiness::Locked:
        return {Kind::Locked, 0, {}, {}};
    case ModemReadiness::Disabled:
        return {Kind::Disabled, 0, {}, {}};
    case ModemReadiness::NotRegistered:
        return {Kind::NotRegistered, 0, {}, {}};
    }

    const QVariantMap sms{
        {"number", number}, {"text", text}, {"delivery-report-request", wantReport}};
    const QDBusMessage created =
        callResponsively(modemPath, kMessaging, "Create", {sms}, timeoutMs);
    if (failed(created) || created.signature() != "o")
        return failure(created, modemPath, {});
    const QString smsPath = created.arguments().at(0).value<QDBusObjectPath>().path();

    const QDBusMessage sent = callResponsively(smsPath, kSms, "Send", {}, timeoutMs);
    if (failed(sent))
        return failure(sent, modemPath, smsPath);
    const QVariantMap after = properties(smsPath, kSms);
    if (after.value("State").toUInt() != kSmsSent)
        return failure(sent, modemPath, smsPath);
    return {Kind::Accepted, after.value("MessageReference").toUInt(), {}, smsPath};
}

std::optional<MobileStatusReport> MobileModems::report(const QString& smsPath) const {
    const QVariantMap sms = properties(smsPath, kSms);
    if (sms.value("PduType").toUInt() != kStatusReport)
        return std::nullopt;
    return MobileStatusReport{smsPath,
                              sms.value("MessageReference").toUInt(),
                              sms.value("Number").toString(),
                              sms.value("DeliveryState").toUInt(),
                              sms.value("Timestamp").toString(),
                              sms.value("DischargeTimestamp").toString()};
}

std::vector<MobileStatusReport> MobileModems::reports(const QString& modemPath) const {
    std::vector<MobileStatusReport> list;
    const QDBusMessage reply = call(modemPath, kMessaging, "List", {}, m_timeoutMs);
    if (failed(reply) || reply.signature() != "ao")
        return list;
    for (const QDBusObjectPath& path : qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().at(0)))
        if (auto found = report(path.path()))
            list.push_back(*found);
    return list;
}

bool MobileModems::remove(const QString& modemPath, const QString& smsPath) const {
    const QVariant path = QVariant::fromValue(QDBusObjectPath(smsPath));
    return !failed(call(modemPath, kMessaging, "Delete", {path}, m_timeoutMs));
}
