#include "common/IntervalTimer.h"

IntervalTimer::IntervalTimer(QObject* parent) : QObject(parent) {
    connect(&m_timer, &QTimer::timeout, this, &IntervalTimer::timeout);
}

void IntervalTimer::setInterval(int ms) {
    m_interval = ms;
    if (ms <= 0)
        m_timer.stop();
    else
        m_timer.setInterval(ms);
}

void IntervalTimer::start() {
    if (m_interval > 0)
        m_timer.start(m_interval);
}

void IntervalTimer::stop() {
    m_timer.stop();
}
