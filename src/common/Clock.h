#pragma once

#include <QDateTime>

// Every reading of the time and every wait goes through the installed clock,
// so tests run a 60-second time-out at no cost.
class Clock {
public:
    virtual ~Clock() = default;
    // Local wall-clock time.
    virtual QDateTime now() const = 0;
    // Milliseconds on a clock that never jumps; for deadlines.
    virtual qint64 monotonicMs() const = 0;
    // Let window events and timers run for `ms` milliseconds.
    virtual void waitMs(qint64 ms) = 0;
    // Let window events run once, waiting at most `ms` for one to arrive.
    virtual void pumpEvents(qint64 ms) = 0;

    static Clock& instance();
    // Returns the clock it replaces; nullptr restores the system clock.
    static Clock* install(Clock* clock);
};

class SystemClock : public Clock {
public:
    QDateTime now() const override;
    qint64 monotonicMs() const override;
    void waitMs(qint64 ms) override;
    void pumpEvents(qint64 ms) override;
};

// A wait of whole seconds that keeps window events running.
void WaitSecs(int seconds);
