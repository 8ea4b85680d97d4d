#include "mobile/ReportWatcher.h"

#include "mobile/ModemManagerNames.h"

#include <QDBusObjectPath>

namespace {
// Qt D-Bus matches the slot by its signature exactly as written.
constexpr char kSlot[] = "1added(QDBusMessage)";
} // namespace

ReportWatcher::ReportWatcher(const MobileModems& modems, const QString& modemPath, QObject* parent)
    : QObject(parent), m_modems(modems) {
    m_watching = m_modems.bus().connect(ModemManagerNames::kService, modemPath,
                                        ModemManagerNames::kMessaging, "Added", this, kSlot);
}

void ReportWatcher::added(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    if (args.size() < 2 || !args.at(1).toBool())
        return; // one made to send
    if (auto report = m_modems.report(args.at(0).value<QDBusObjectPath>().path()))
        emit reportArrived(*report);
}
