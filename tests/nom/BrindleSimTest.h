#pragma once

#include "HayesModem.h"
#include "nom/BrindleController.h"
#include "support/FakeClock.h"
#include "support/FakeSerialLine.h"
#include "support/QtPrinters.h"
#include "support/SimRecord.h"
#include "support/TestInstallation.h"

#include <gtest/gtest.h>
#include <memory>

// A whole Brindle run on the fake clock: an installation, the simulator's
// modem and message centre at the other end of the line, and the two timers
// fired as the program's would fire them, also inside waits.
class BrindleSim {
public:
    BrindleSim();

    void setConfigLine(int number, const QByteArray& text);
    // Sets the simulator's faults as its command line does ("--busy --faulty-dials 2").
    void simulate(const std::string& arguments);
    void queue(const QStringList& entries);
    void start();
    // Fires the timers until the run ends or `limitMs` of fake time have passed.
    void runToEnd(qint64 limitMs = 30 * 60 * 1000);
    void startAndRun() { start(), runToEnd(); }

    QStringList statuses() const;
    QByteArray file(const QString& relative) const { return inst.bytes(relative); }
    qint64 elapsedMs() const { return clock.monotonicMs() - m_startMs; }
    // The call as the simulator saw it: D a dial, L a log-on, A an acceptance,
    // O a log-off.
    QString story() const;
    // How the run left the files, by number of the entry in `queued`:
    // "<end> out:<Brindle.out> rcv:<Brindle.rcv>".
    QString ending(const QStringList& queued) const;

    TestInstallation inst;
    FakeClock clock;
    SimOptions sim;
    HayesModem modem{sim};
    FakeSerialLine line;
    std::unique_ptr<BrindleController> brindle;
    int ticksInsideCycle = 0;
    QList<qint64> pinValues;
    // Runs before every send-timer tick that is not inside a send cycle.
    std::function<void()> onTick;
    // Runs at every wait on the clock, before the timers due are fired.
    std::function<void()> duringWait;

private:
    void fireDue();
    qint64 m_startMs = 0;
    qint64 m_nextTimer1 = -1;
    qint64 m_nextTimer2 = -1;
    int m_depth = 0;
};

struct BrindleSimTest : ::testing::Test {
    BrindleSim run;
};

// Queue entries "[n] ... +4477009001nn Message n ".
QStringList entries(int n);

// The name of a failure kind, for tables.
QString kindName(Failure failure);
