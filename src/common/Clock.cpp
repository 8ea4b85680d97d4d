#include "common/Clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {
Clock* g_clock = nullptr;

qint64 monotonicNow() {
    static QElapsedTimer t = [] {
        QElapsedTimer e;
        e.start();
        return e;
    }();
    return t.elapsed();
}
} // namespace

Clock& Clock::instance() {
    static SystemClock system;
    return g_clock ? *g_clock : system;
}

Clock* Clock::install(Clock* clock) {
    Clock* old = g_clock;
    g_clock = clock;
    return old;
}

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTime();
}

qint64 SystemClock::monotonicMs() const {
    return monotonicNow();
}

void SystemClock::waitMs(qint64 ms) {
    if (ms <= 0)
        return;
    if (!QCoreApplication::instance()) {
        QThread::msleep(static_cast<unsigned long>(ms));
        return;
    }
    // A nested loop that sleeps in the kernel until an event or the deadline.
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(ms), &loop, &QEventLoop::quit);
    loop.exec();
}

void SystemClock::pumpEvents(qint64 ms) {
    if (!QCoreApplication::instance())
        return;
    // The timer only wakes the wait; whatever event comes first ends it.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(static_cast<int>(std::max<qint64>(ms, 0)));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void WaitSecs(int seconds) {
    Clock::instance().waitMs(qint64(seconds) * 1000);
}
