#pragma once

#include "common/Clock.h"

#include <QCoreApplication>
#include <functional>

// A clock that only moves when told or when something waits on it. Waits
// advance it at once; an optional hook runs at every wait so a test can make
// things happen "during" a wait. Installs itself for its lifetime.
class FakeClock : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 12, 5), QTime(16, 20, 0)))
        : m_previous(Clock::install(this)), m_now(std::move(start)) {}
    ~FakeClock() override { Clock::install(m_previous); }

    QDateTime now() const override { return m_now; }
    qint64 monotonicMs() const override { return m_mono; }
    void waitMs(qint64 ms) override {
        if (ms <= 0)
            return;
        m_waited += ms;
        advanceMs(ms);
        if (m_hook)
            m_hook(ms);
        QCoreApplication::processEvents();
    }
    // Nothing arrives on its own here: time passes as if the full wait ran.
    void pumpEvents(qint64 ms) override { waitMs(std::max<qint64>(ms, 1)); }

    void advanceMs(qint64 ms) {
        m_now = m_now.addMSecs(ms);
        m_mono += ms;
    }
    void onWait(std::function<void(qint64 ms)> hook) { m_hook = std::move(hook); }
    qint64 totalWaitedMs() const { return m_waited; }

private:
    Clock* m_previous;
    QDateTime m_now;
    qint64 m_mono = 1000000;
    qint64 m_waited = 0;
    std::function<void(qint64)> m_hook;
};
