#pragma once

#include "support/ChildProcess.h"

#include <QDBusConnection>

#include <memory>

// A bus of its own (dbus-daemon) with the simulator playing ModemManager on
// it; both stop when this goes away, the simulator first. Without dbus-daemon
// `address` stays empty, and so does `modemPath`.
class SimulatedModemManager {
public:
    // `simulator` is the smscsim program; `args` come after --modem-manager --bus.
    SimulatedModemManager(const QString& simulator, const QStringList& args)
        : m_daemon(std::make_unique<Daemon>()), address(m_daemon->line) {
        if (address.isEmpty())
            return;
        m_simulator = std::make_unique<Simulator>(
            simulator, QStringList{"--modem-manager", "--bus", address} + args);
        modemPath = m_simulator->line;
    }

    ~SimulatedModemManager() { QDBusConnection::disconnectFromBus(address); }

    // The test's own connection to the bus (named after its address: Qt hands
    // out the connection already made under a name, even to a bus now gone).
    QDBusConnection connect() const { return QDBusConnection::connectToBus(address, address); }

private:
    // A program whose first line on standard output says where it serves.
    class Serving : public ChildProcess {
    public:
        Serving(const QString& program, const QStringList& args)
            : line(start(program, args, QProcess::StandardOutput).trimmed()) {}
        QString line;
    };
    struct Daemon : Serving {
        Daemon() : Serving("dbus-daemon", {"--session", "--print-address", "--nofork"}) {}
    };
    using Simulator = Serving;

    std::unique_ptr<Daemon> m_daemon;
    std::unique_ptr<Simulator> m_simulator;

public:
    const QString address;
    QString modemPath;
};
