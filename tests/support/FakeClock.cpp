#include "support/FakeClock.h"

#include <QCoreApplication>

FakeClock::FakeClock(QDateTime start) : m_previous(Clock::install(this)), m_now(std::move(start)) {}

FakeClock::~FakeClock() {
    Clock::install(m_previous);
}

void FakeClock::advanceMs(qint64 ms) {
    m_now = m_now.addMSecs(ms);
    m_mono += ms;
}

void FakeClock::waitMs(qint64 ms) {
    if (ms <= 0)
        return;
    m_waited += ms;
    advanceMs(ms);
    if (m_hook)
        m_hook(ms);
    QCoreApplication::processEvents();
}

void FakeClock::pumpEvents(qint64 ms) {
    // Nothing arrives on its own here: time passes as if the full wait ran.
    waitMs(std::max<qint64>(ms, 1));
}
