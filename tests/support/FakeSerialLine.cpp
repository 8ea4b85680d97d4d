#include "support/FakeSerialLine.h"

#include "HayesModem.h"
#include "MessageRecord.h"
#include "common/Clock.h"
#include "support/LineBytes.h"

#include <QStringList>
#include <algorithm>

namespace {
qint64 now() {
    return Clock::instance().monotonicMs();
}
} // namespace

void FakeSerialLine::script(QString replies, const QByteArray& echo) {
    replies.replace("ECHO", readable(echo)).replace("HANGUP", readable(kHangUp));
    for (const QString& reply : replies.split(" | ", Qt::SkipEmptyParts)) {
        const qsizetype at = reply.lastIndexOf('@');
        const QStringList parts = reply.left(at).split('~');
        m_script.push_back({bytes(parts[0].toStdString()), bytes(parts.value(1).toStdString()),
                            at < 0 ? 0 : reply.mid(at + 1).toLongLong()});
        if (m_script.size() == 1 && m_script.front().trigger.isEmpty())
            release();
    }
}

void FakeSerialLine::push(const QByteArray& bytes, qint64 afterMs) {
    const qint64 due = now() + afterMs;
    const auto at = std::upper_bound(m_pending.begin(), m_pending.end(), due,
                                     [](qint64 d, const auto& p) { return d < p.first; });
    m_pending.emplace(at, due, bytes);
}

// The step at the front, then every untriggered one after it.
void FakeSerialLine::release() {
    do {
        push(m_script.front().bytes, m_script.front().afterMs);
        m_script.pop_front();
    } while (!m_script.empty() && m_script.front().trigger.isEmpty());
}

bool FakeSerialLine::open(const QString& device, const LineSettings& settings) {
    m_device = device;
    m_settings = settings;
    ++m_opens;
    m_open = true;
    if (m_peer)
        m_peer->reset();
    return true;
}

bool FakeSerialLine::close() {
    // What the other end had still to say is lost with the line.
    m_pending.clear();
    if (m_peer)
        m_peer->reset();
    m_open = false;
    return true;
}

void FakeSerialLine::write(const QByteArray& bytes) {
    if (beforeWrite)
        beforeWrite();
    m_writes << bytes;
    if (m_peer)
        m_peer->receive(bytes.toStdString(), now());
    else if (!m_script.empty() && bytes.contains(m_script.front().trigger))
        release();
}

QByteArray FakeSerialLine::takeAvailable() {
    QByteArray out;
    while (!m_pending.empty() && m_pending.front().first <= now()) {
        if (m_pending.front().second == kHangUp)
            return close(), out;
        out += m_pending.front().second;
        m_pending.pop_front();
    }
    if (m_peer) {
        const Emission e = m_peer->takeDue(now());
        out += QByteArray::fromStdString(e.bytes);
        for (const std::string& n : e.notes)
            m_notes << QString::fromStdString(n);
        for (const AcceptedMessage& m : e.accepted)
            m_record += QByteArray::fromStdString(MessageRecord::line(m));
    }
    return out;
}

qint64 FakeSerialLine::nextDue() const {
    qint64 due = m_pending.empty() ? -1 : m_pending.front().first;
    if (m_peer)
        if (const auto peer = m_peer->nextDeadlineMs(); peer && (due < 0 || *peer < due))
            due = *peer;
    return due;
}

bool FakeSerialLine::waitForInput(qint64 ms) {
    const qint64 due = nextDue();
    if (due < 0 || due > now())
        Clock::instance().waitMs(due < 0 ? ms : std::min(ms, due - now()));
    const qint64 next = nextDue();
    return next >= 0 && next <= now();
}
