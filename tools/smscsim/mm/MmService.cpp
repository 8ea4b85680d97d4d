#include "mm/MmService.h"

#include "mm/MmTypes.h"
#include "mobile/ModemManagerNames.h"

#include <QTimer>

#include <cstdio>

namespace {
using namespace ModemManagerNames;
const QString kError = QString::fromLatin1(kErrorPrefix);
const QString kUnknownObject = QStringLiteral("org.freedesktop.DBus.Error.UnknownObject");
const QString kUnknownMethod = QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod");
const QString kInvalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
} // namespace

MmService::MmService(const SimOptions& options, QDBusConnection bus)
    : m_options(options), m_bus(std::move(bus)), m_modem(options), m_record(options.recordPath) {}

// Names only: enough for a person looking with a bus tool.
QString MmService::introspect(const QString& path) const {
    QStringList interfaces{kProperties};
    if (path == kManagerPath)
        interfaces << kObjectManager;
    else if (path == MmModem::path())
        interfaces << m_modem.interfaces();
    else if (m_modem.messages().contains(QDBusObjectPath(path)))
        interfaces << kSms;
    QString xml = "<node>";
    for (const QString& name : interfaces)
        xml += "<interface name=\"" + name + "\"/>";
    return xml + "</node>";
}

void MmService::reply(const QDBusMessage& message, const QVariantList& values) {
    m_bus.send(message.createReply(values));
}

void MmService::error(const QDBusMessage& message, const QString& name, const QString& text) {
    m_bus.send(message.createErrorReply(name, text));
}

void MmService::signal(const QString& path, const QString& interface, const QString& name,
                       const QVariantList& values) {
    auto message = QDBusMessage::createSignal(path, interface, name);
    message.setArguments(values);
    m_bus.send(message);
}

QVariant MmService::managedObjects() const {
    MmManagedObjects objects;
    if (m_modem.present()) {
        MmInterfaces interfaces;
        for (const QString& name : m_modem.interfaces())
            interfaces.insert(name, m_modem.properties(name));
        objects.insert(QDBusObjectPath(MmModem::path()), interfaces);
    }
    return QVariant::fromValue(objects);
}

bool MmService::handleMessage(const QDBusMessage& message, const QDBusConnection&) {
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    const QString path = message.path();
    // Arguments of another type than the method takes are refused before
    // anything reads them.
    static const QMap<QString, QString> signatures{
        {"Get", "ss"}, {"GetAll", "s"}, {"Set", "ssv"}, {"Create", "a{sv}"}, {"Delete", "o"}};
    if (signatures.contains(message.member()) &&
        message.signature() != signatures.value(message.member()))
        error(message, kInvalidArgs, "arguments of type " + message.signature());
    else if (message.interface() == "org.freedesktop.DBus.Introspectable")
        reply(message, {introspect(path)});
    else if (message.interface() == kProperties)
        properties(message);
    else if (path == kManagerPath && message.member() == "GetManagedObjects")
        reply(message, {managedObjects()});
    else if (path == MmModem::path() && m_modem.interfaces().contains(message.interface()))
        messaging(message);
    else if (m_modem.sms(path) && message.interface() == kSms && message.member() == "Send")
        send(message);
    else if (path == kManagerPath || path == MmModem::path() || m_modem.sms(path))
        error(message, kUnknownMethod, "no method " + message.member());
    else
        error(message, kUnknownObject, "no object at " + path);
    return true;
}

void MmService::properties(const QDBusMessage& message) {
    const QString path = message.path();
    const QVariantList args = message.arguments();
    const QString interface = args.value(0).toString();
    QVariantMap values;
    if (path == MmModem::path())
        values = m_modem.properties(interface);
    else if (const MmSms* sms = m_modem.sms(path); sms && interface == kSms)
        values = m_modem.smsProperties(*sms);
    if (values.isEmpty())
        return error(message, "org.freedesktop.DBus.Error.UnknownInterface",
                     "no interface " + interface + " at " + path);
    if (message.member() == "GetAll")
        return reply(message, {values});
    const QString name = args.value(1).toString();
    if (message.member() == "Get" && values.contains(name))
        return reply(message, {QVariant::fromValue(QDBusVariant(values.value(name)))});
    if (message.member() == "Set")
        return error(message, "org.freedesktop.DBus.Error.PropertyReadOnly", name);
    error(message, kInvalidArgs, "no property " + name);
}

void MmService::messaging(const QDBusMessage& message) {
    const QString member = message.member();
    const QVariantList args = message.arguments();
    if (message.interface() != kMessaging)
        return error(message, kUnknownMethod, "no method " + member);
    if (member == "List")
        return reply(message, {QVariant::fromValue(m_modem.messages())});
    if (member == "Delete") {
        const QString sms = qvariant_cast<QDBusObjectPath>(args.value(0)).path();
        if (!m_modem.remove(sms))
            return error(message, kError + "Core.NotFound", "no SMS at " + sms);
        reply(message, {});
        return signal(MmModem::path(), kMessaging, "Deleted",
                      {QVariant::fromValue(QDBusObjectPath(sms))});
    }
    if (member != "Create")
        return error(message, kUnknownMethod, "no method " + member);
    const auto sms = qdbus_cast<QVariantMap>(args.value(0));
    if (!m_modem.canSend())
        return error(message, kError + "Core.WrongState", "modem not registered");
    if (sms.value("number").toString().isEmpty() || !sms.contains("text"))
        return error(message, kError + "Core.InvalidArgs", "an SMS needs number and text");
    const QString path =
        m_modem.create(sms.value("number").toString(), sms.value("text").toString(),
                       sms.value("delivery-report-request").toBool());
    reply(message, {QVariant::fromValue(QDBusObjectPath(path))});
    signal(MmModem::path(), kMessaging, "Added",
           {QVariant::fromValue(QDBusObjectPath(path)), false});
}

void MmService::send(const QDBusMessage& message) {
    MmSms* sms = m_modem.sms(message.path());
    if (sms->state == MmModem::Sent || sms->state == MmModem::Sending)
        return error(message, kError + "Core.WrongState", "already sent");
    if (!m_modem.canSend())
        return error(message, kError + "Core.WrongState", "modem not registered");
    sms->state = MmModem::Sending;
    const int attempt = ++m_sends;
    message.setDelayedReply(true);
    QTimer::singleShot(std::chrono::milliseconds(m_options.mmSendDelayMs), this,
                       [this, message, attempt] { finishSend(message, message.path(), attempt); });
}

void MmService::finishSend(const QDBusMessage& message, const QString& smsPath, int attempt) {
    MmSms* sms = m_modem.sms(smsPath);
    if (!sms)
        return error(message, kError + "Core.Aborted", "the SMS was deleted while sending");
    if (attempt == m_options.mmRemoveAfter) {
        const QStringList gone = m_modem.interfaces();
        m_modem.vanish();
        if (!gone.isEmpty())
            signal(kManagerPath, kObjectManager, "InterfacesRemoved",
                   {QVariant::fromValue(QDBusObjectPath(MmModem::path())), gone});
        return error(message, kError + "Core.Aborted", "the modem went away");
    }
    if (m_options.mmRejectEvery > 0 && attempt % m_options.mmRejectEvery == 0) {
        sms->state = MmModem::Stored;
        return error(message, kError + "Message.NetworkTimeout", "no answer from the network");
    }
    std::string recordError;
    if (!m_options.recordPath.empty() &&
        !m_record.append({sms->number.toStdString(), sms->text.toStdString()}, recordError))
        std::fprintf(stderr, "smscsim: %s\n", recordError.c_str());
    m_modem.sent(*sms);
    reply(message, {});
    if (!sms->wantReport || m_options.mmNoReport)
        return;
    const MmSms sent = *sms;
    QTimer::singleShot(std::chrono::seconds(m_options.mmReportAfterSeconds), this, [this, sent] {
        if (!m_modem.present())
            return;
        const QString path = m_modem.report(sent);
        signal(MmModem::path(), kMessaging, "Added",
               {QVariant::fromValue(QDBusObjectPath(path)), true});
    });
}
