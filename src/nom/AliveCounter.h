#pragma once

#include <QtGlobal>

// The alive counter of Brindle.pin: one more at every write, back to the base
// instead of reaching base x 1000.
class AliveCounter {
public:
    explicit AliveCounter(qint64 base = 0) : m_base(base), m_value(base) {}
    qint64 next();
    qint64 value() const { return m_value; }

private:
    qint64 m_base;
    qint64 m_value;
};
