#include "nom/AliveCounter.h"

qint64 AliveCounter::next() {
    ++m_value;
    if (m_value == m_base * 1000)
        m_value = m_base;
    return m_value;
}
