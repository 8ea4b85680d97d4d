#pragma once

#include <QtGlobal>

class Clock;

// Says when a long run of work on the window's thread should let window
// events run: after a slice of time or of work, whichever comes first, so the
// window keeps painting and answering without paying for it on every step.
class EventPacer {
public:
    explicit EventPacer(Clock& clock, qint64 sliceMs = 15, int sliceWork = 256);

    // Counts `work` more units done; true when events are due now.
    bool due(int work = 1);
    // A new slice begins (after the events have run).
    void restart();

private:
    Clock& m_clock;
    qint64 m_sliceMs;
    int m_sliceWork;
    qint64 m_sliceStart;
    int m_done = 0;
};
