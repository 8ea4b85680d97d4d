#include "support/FakeSerialLine.h"

#include "common/Clock.h"

#include <algorithm>

namespace {
qint64 now() {
    return Clock::instance().monotonicMs();
}
} // namespace

FakeSerialLine& FakeSerialLine::reply(const QByteArray& bytes, qint64 afterMs) {
    m_script.push_back({QByteArray(), bytes, afterMs});
    if (m_script.size() == 1)
        releaseUntriggered();
    return *this;
}

FakeSerialLine& FakeSerialLine::on(const QByteArray& trigger, const QByteArray& bytes,
                                   qint64 afterMs) {
    m_script.push_back({trigger, bytes, afterMs});
    return *this;
}

void FakeSerialLine::push(const QByteArray& bytes, qint64 afterMs) {
    m_pending.push_back({now() + afterMs, bytes});
    std::stable_sort(m_pending.begin(), m_pending.end(),
                     [](const Pending& a, const Pending& b) { return a.dueMs < b.dueMs; });
}

void FakeSerialLine::releaseUntriggered() {
    while (!m_script.empty() && m_script.front().trigger.isEmpty()) {
        push(m_script.front().bytes, m_script.front().afterMs);
        m_script.pop_front();
    }
}

bool FakeSerialLine::open(const QString& device, const LineSettings& settings) {
    m_device = device;
    m_settings = settings;
    if (m_failOpens > 0) {
        --m_failOpens;
        return false;
    }
    ++m_opens;
    m_open = true;
    return true;
}

bool FakeSerialLine::close() {
    // What the peer had still to say is lost with the line.
    m_pending.clear();
    m_open = false;
    return true;
}

void FakeSerialLine::write(const QByteArray& bytes) {
    m_writes << bytes;
    if (!m_script.empty() && !m_script.front().trigger.isEmpty() &&
        bytes.contains(m_script.front().trigger)) {
        push(m_script.front().bytes, m_script.front().afterMs);
        m_script.pop_front();
        releaseUntriggered();
    }
    if (m_responder)
        m_responder(bytes);
}

QByteArray FakeSerialLine::takeAvailable() {
    QByteArray out;
    while (!m_pending.empty() && m_pending.front().dueMs <= now()) {
        out += m_pending.front().bytes;
        m_pending.pop_front();
    }
    return out;
}

bool FakeSerialLine::waitForInput(qint64 ms) {
    if (!m_pending.empty() && m_pending.front().dueMs <= now())
        return true;
    qint64 wait = ms;
    if (!m_pending.empty())
        wait = std::min(wait, m_pending.front().dueMs - now());
    Clock::instance().waitMs(wait);
    return !m_pending.empty() && m_pending.front().dueMs <= now();
}

int FakeSerialLine::writeCount(const QByteArray& bytes) const {
    return static_cast<int>(std::count(m_writes.begin(), m_writes.end(), bytes));
}
