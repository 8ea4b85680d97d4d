#include "common/ModemSequencer.h"

#include "common/Clock.h"
#include "common/SerialLine.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

// The longest a wait sleeps before it looks at the clock again.
constexpr qint64 kStepMs = 1000;

qint64 nowSecond() {
    return Clock::instance().monotonicMs() / 1000;
}

void pumpOnce() {
    QCoreApplication::processEvents();
}

} // namespace

ModemSequencer::ModemSequencer(SerialLine& line, QByteArray callEnd)
    : m_line(line), m_callEnd(std::move(callEnd)) {}

qint64 ModemSequencer::deadlineIn(int seconds) {
    return nowSecond() + seconds;
}

void ModemSequencer::send(const QByteArray& command) {
    if (!m_stopped && m_line.isOpen())
        m_line.write(command);
}

void ModemSequencer::waitForInput(qint64 deadline) {
    const qint64 left = deadline * 1000 - Clock::instance().monotonicMs();
    m_line.waitForInput(qBound<qint64>(1, left, kStepMs));
}

void ModemSequencer::read() {
    if (!m_line.isOpen())
        return;
    // The end text may have begun in the last read.
    const qsizetype from = std::max<qsizetype>(0, m_buffer.size() - m_callEnd.size() + 1);
    m_buffer += m_line.takeAvailable();
    if (!m_callEnd.isEmpty() && m_buffer.indexOf(m_callEnd, from) >= 0)
        m_callEndHeard = true;
    if (m_buffer.size() > kBufferLimit)
        dropFront(m_buffer.size() - kBufferLimit);
}

void ModemSequencer::dropFront(qsizetype n) {
    m_buffer.remove(0, n);
    m_bufferStart += n;
}

qsizetype ModemSequencer::callEndAt(qsizetype from) const {
    const qsizetype at = m_callEnd.isEmpty() ? -1 : m_buffer.indexOf(m_callEnd, from);
    if (at >= 0)
        return at;
    return m_line.isOpen() ? -1 : m_buffer.size();
}

qsizetype ModemSequencer::find(const QByteArray& answer, qsizetype from, bool ownLine) const {
    if (answer.size() != 1 || !ownLine)
        return m_buffer.indexOf(answer, from);
    for (qsizetype at = m_buffer.indexOf(answer, from); at >= 0;
         at = m_buffer.indexOf(answer, at + 1)) {
        const bool starts = at == from || m_buffer[at - 1] == '\r';
        if (starts && at + 1 < m_buffer.size() && m_buffer[at + 1] == '\r')
            return at;
    }
    return -1;
}

ModemSequencer::Result ModemSequencer::run(const Step& step, const Options& options) {
    return await(deadlineIn(step.timeout), step, options);
}

ModemSequencer::Result ModemSequencer::await(qint64 deadline, const Step& step, const Options& o) {
    const bool pumps = o.afterCommand == AfterCommand::PumpEvents;
    if (!step.command.isEmpty()) {
        if (pumps)
            pumpOnce();
        send(step.command);
        if (pumps)
            pumpOnce();
    }
    if (o.afterCommand == AfterCommand::Read) {
        read();
        if (o.afterRead)
            o.afterRead();
    }
    const bool any = std::any_of(step.answers.begin(), step.answers.end(),
                                 [](const QByteArray& a) { return !a.isEmpty(); });
    Result r;
    qsizetype echo = 0;
    while (!m_stopped && deadline > nowSecond()) {
        if (o.pace == Pace::WaitThenLook) {
            if (o.beforeWait)
                o.beforeWait();
            waitForInput(deadline);
        } else {
            pumpOnce();
        }
        read();
        r.looked = true;
        if (o.afterRead && !o.afterRead()) {
            r.outcome = Outcome::Stopped;
            return r;
        }
        echo = 0;
        while (o.skipEcho && echo < m_buffer.size() && echo < step.command.size() &&
               m_buffer[echo] == step.command[echo])
            ++echo;
        // Only what came before the end of the call counts.
        const qsizetype end = o.onCall ? callEndAt(echo) : -1;
        for (int i = 0; i < step.answers.size(); ++i) {
            const QByteArray& answer = step.answers[i];
            const qsizetype at = answer.isEmpty() ? -1 : find(answer, echo, o.singlesOnOwnLine);
            if (at >= 0 && (end < 0 || at < end)) {
                r.outcome = Outcome::Answered;
                r.index = i;
                r.before = m_buffer.mid(echo, at - echo);
                dropFront(at + answer.size());
                return r;
            }
        }
        if (end >= 0 || (!any && o.emptyAnswerAtOnce)) {
            r.outcome = end >= 0 ? Outcome::LineLost : Outcome::Answered;
            return r;
        }
        if (o.pace == Pace::LookThenWait)
            waitForInput(deadline);
    }
    // The echo is ours: whatever waits next must not take its texts for answers.
    dropFront(echo);
    r.outcome = m_stopped ? Outcome::Stopped : Outcome::TimedOut;
    return r;
}

void ModemSequencer::waitSecs(int seconds) {
    const qint64 deadline = nowSecond() + seconds;
    while (!m_stopped && deadline > nowSecond()) {
        const qint64 left = deadline * 1000 - Clock::instance().monotonicMs();
        Clock::instance().waitMs(qBound<qint64>(1, left, kStepMs));
    }
}

void ModemSequencer::pause(int ms) {
    if (ms % 1000 == 0) {
        waitSecs(ms / 1000);
        return;
    }
    const qint64 deadline = Clock::instance().monotonicMs() + ms;
    for (qint64 left = ms; !m_stopped && left > 0;
         left = deadline - Clock::instance().monotonicMs())
        Clock::instance().waitMs(std::min(left, kStepMs));
}
