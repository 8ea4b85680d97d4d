#include "mm/MmMain.h"

#include "MessageRecord.h"
#include "StopSignals.h"
#include "mm/MmService.h"
#include "mm/MmTypes.h"
#include "mobile/ModemManagerNames.h"

#include <QCoreApplication>
#include <QDBusMetaType>
#include <QSocketNotifier>
#include <QTimer>

#include <climits>
#include <cstdio>
#include <unistd.h>

void registerMmTypes() {
    qDBusRegisterMetaType<MmSignalQuality>();
    qDBusRegisterMetaType<MmPort>();
    qDBusRegisterMetaType<MmPorts>();
    qDBusRegisterMetaType<MmInterfaces>();
    qDBusRegisterMetaType<MmManagedObjects>();
}

namespace {
int fail(const QString& why) {
    std::fprintf(stderr, "smscsim: %s\n", qPrintable(why));
    return 1;
}

QDBusConnection connect(const SimOptions& options) {
    if (!options.busAddress.empty())
        return QDBusConnection::connectToBus(QString::fromStdString(options.busAddress), "smscsim");
    return QDBusConnection::systemBus(); // follows DBUS_SYSTEM_BUS_ADDRESS
}

} // namespace

int runModemManager(int argc, char** argv, const SimOptions& options) {
    const int stopFd = stopSignals();
    if (stopFd < 0)
        return fail("cannot watch for signals");
    QCoreApplication app(argc, argv);
    registerMmTypes();
    std::string error;
    if (!options.recordPath.empty() && !MessageRecord(options.recordPath).check(error))
        return fail(QString::fromStdString(error));
    QDBusConnection bus = connect(options);
    if (!bus.isConnected())
        return fail("cannot reach the bus: " + bus.lastError().message());
    MmService service(options, bus);
    if (!bus.registerVirtualObject(ModemManagerNames::kManagerPath, &service,
                                   QDBusConnection::SubPath))
        return fail("cannot register ModemManager's objects");
    if (!bus.registerService(ModemManagerNames::kService))
        return fail(QStringLiteral("cannot own %1: ").arg(ModemManagerNames::kService) +
                    bus.lastError().message());

    QSocketNotifier stop(stopFd, QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, &app, [&] {
        std::fprintf(stderr, "smscsim: stopped by a signal\n");
        app.quit();
    });
    QTimer lifetime;
    lifetime.setSingleShot(true);
    QObject::connect(&lifetime, &QTimer::timeout, &app, [&] {
        std::fprintf(stderr, "smscsim: lifetime of %lld s over, stopping\n",
                     static_cast<long long>(options.lifetimeSeconds));
        app.quit();
    });
    if (!options.runForever)
        lifetime.start(std::chrono::milliseconds(
            std::min<std::int64_t>(options.lifetimeSeconds * 1000, INT_MAX)));

    // Like the pseudo-terminal's path, the modem's path is the only line on
    // standard output, written once it answers.
    std::printf("%s\n", qPrintable(MmModem::path()));
    std::fflush(stdout);
    const int status = app.exec();
    bus.unregisterService(ModemManagerNames::kService);
    ::close(stopFd);
    return status;
}
