#include "client/outbox/EventPacer.h"

#include "common/Clock.h"

EventPacer::EventPacer(Clock& clock, qint64 sliceMs, int sliceWork)
    : m_clock(clock), m_sliceMs(sliceMs), m_sliceWork(sliceWork),
      m_sliceStart(clock.monotonicMs()) {}

bool EventPacer::due(int work) {
    m_done += work;
    return m_done >= m_sliceWork || m_clock.monotonicMs() - m_sliceStart >= m_sliceMs;
}

void EventPacer::restart() {
    m_done = 0;
    m_sliceStart = m_clock.monotonicMs();
}
