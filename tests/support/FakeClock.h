#pragma once

#include "common/Clock.h"

#include <functional>

// A clock that only moves when told or when something waits on it. Waits
// advance it at once; an optional hook runs at every wait so a test can make
// things happen "during" a wait. Installs itself for its lifetime.
class FakeClock : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 12, 5), QTime(16, 20, 0)));
    ~FakeClock() override;

    QDateTime now() const override { return m_now; }
    qint64 monotonicMs() const override { return m_mono; }
    void waitMs(qint64 ms) override;
    void pumpEvents(qint64 ms) override;

    void advanceMs(qint64 ms);
    void onWait(std::function<void(qint64 ms)> hook) { m_hook = std::move(hook); }
    qint64 totalWaitedMs() const { return m_waited; }

private:
    Clock* m_previous;
    QDateTime m_now;
    qint64 m_mono = 1000000;
    qint64 m_waited = 0;
    std::function<void(qint64)> m_hook;
};
