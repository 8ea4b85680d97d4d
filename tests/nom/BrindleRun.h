#pragma once

#include "ScriptedSmsc.h"
#include "nom/BrindleController.h"
#include "support/FakeClock.h"
#include "support/FakeSerialLine.h"
#include "support/TestInstallation.h"

#include <memory>

// A whole Brindle run on the fake clock: an installation, a scripted modem
// and SMSC, and the two timers fired as the program's would fire them, also
// inside waits.
class BrindleRun {
public:
    BrindleRun();

    void setConfigLine(int number, const QByteArray& text);
    void queue(const QStringList& entries);
    void start();
    // Fires the timers until the run ends or `limitMs` of fake time have passed.
    void runToEnd(qint64 limitMs = 30 * 60 * 1000);

    QStringList statuses() const;
    QByteArray file(const QString& relative) const { return inst.bytes(relative); }
    qint64 elapsedMs() const { return clock.monotonicMs() - m_startMs; }

    TestInstallation inst;
    FakeClock clock;
    FakeSerialLine line;
    ScriptedSmsc smsc{line};
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
