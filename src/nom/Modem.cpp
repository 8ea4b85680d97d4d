#include "nom/Modem.h"

#include "common/Clock.h"
#include "common/ComPorts.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "common/Win1252.h"
#include "nom/BrindleConfig.h"
#include "nom/StatusLog.h"

#include <QCoreApplication>
#include <algorithm>

const QByteArray Modem::kRejectionText = QByteArrayLiteral("Message send failed");
const QByteArray Modem::kNoCarrier = QByteArrayLiteral("NO CARRIER");

namespace {

// The longest a wait sleeps before it looks at the clock again.
constexpr qint64 kStepMs = 1000;
// A chatty line must not grow the buffer for ever; every text waited for is short.
constexpr qsizetype kBufferLimit = 64 * 1024;

const QByteArray kCR("\r");

// What follows "NO " in the modem's answer to a dial.
Failure noAnswerKind(const QByteArray& rest) {
    if (rest.startsWith("DIALTONE"))
        return Failure::NoDialTone;
    if (rest.startsWith("ANSWER"))
        return Failure::NoAnswer;
    return Failure::NoCarrier;
}

// Where `answer` stands in what the centre said. A single protocol character
// (ACK, NAK, RS) is an answer only as a line of its own: first, or right
// after a CR, and followed by its CR. Elsewhere it is noise on the line.
qsizetype findAnswer(const QByteArray& heard, const QByteArray& answer) {
    if (answer.size() != 1)
        return answer.isEmpty() ? -1 : heard.indexOf(answer);
    for (qsizetype at = heard.indexOf(answer); at >= 0; at = heard.indexOf(answer, at + 1)) {
        const bool starts = at == 0 || heard[at - 1] == '\r';
        if (starts && at + 1 < heard.size() && heard[at + 1] == '\r')
            return at;
    }
    return -1;
}

} // namespace

Modem::Modem(SerialLine& line, StatusLog& status, const BrindleConfig& config)
    : m_line(line), m_status(status), m_config(config) {}

qint64 Modem::nowSecond() {
    return Clock::instance().monotonicMs() / 1000;
}

void Modem::write(const QByteArray& bytes) {
    if (!m_cancelled && m_line.isOpen())
        m_line.write(bytes);
}

void Modem::pumpOnce() {
    QCoreApplication::processEvents();
}

void Modem::waitForInput(qint64 deadlineSecond) {
    const qint64 left = deadlineSecond * 1000 - Clock::instance().monotonicMs();
    m_line.waitForInput(qBound<qint64>(1, left, kStepMs));
}

void Modem::readInput() {
    if (!m_line.isOpen())
        return;
    const qsizetype from = std::max<qsizetype>(0, m_buffer.size() - kNoCarrier.size() + 1);
    m_buffer += m_line.takeAvailable();
    if (m_buffer.indexOf(kNoCarrier, from) >= 0)
        m_carrierLost = true;
    if (m_buffer.size() > kBufferLimit)
        dropFront(m_buffer.size() - kBufferLimit);
}

void Modem::dropFront(qsizetype n) {
    m_buffer.remove(0, n);
    m_bufferStart += n;
}

// The screen shows the buffer's last kScreenLimit characters. Only what
// changed goes to the window: a chatty line must not cost a layout of the
// whole buffer at every byte.
void Modem::showScreen() {
    const bool blank = m_buffer.contains("Annex") || m_buffer.contains("TERMINATED");
    const qint64 end = m_bufferStart + m_buffer.size();
    const qint64 from = blank ? end : std::max(m_bufferStart, end - kScreenLimit);
    if (from == m_shownFrom && end == m_shownTo)
        return;
    const bool wasEmpty = m_shownFrom == m_shownTo;
    ScreenChange change;
    if (from < m_shownFrom || from >= m_shownTo) {
        change.cleared = true;
        change.append = Win1252::decode(m_buffer.mid(from - m_bufferStart));
    } else {
        change.dropFront = from - m_shownFrom;
        change.append = Win1252::decode(m_buffer.mid(m_shownTo - m_bufferStart));
    }
    m_shownFrom = from;
    m_shownTo = end;
    if (wasEmpty && from == end)
        return;
    if (m_display.screen)
        m_display.screen(change);
}

void Modem::clearBuffer() {
    dropFront(m_buffer.size());
    showScreen();
}

Failure Modem::OpenPort() {
    if (m_cancelled)
        return Failure::Cancelled;
    const QString portText =
        LineFile::readLast(ExchangeFiles::path(m_config.appPath, ExchangeFiles::kPortFile))
            .trimmed();
    if (m_display.port)
        m_display.port(portText);
    if (m_display.lineSettings)
        m_display.lineSettings(m_config.lineSettingsText());
    bool ok = false;
    const int port = portText.toInt(&ok);
    const QString device = ok ? ComPorts::devicePath(m_config.appPath, port) : QString();
    const std::optional<LineSettings> settings = m_config.lineSettings();
    if (!settings || device.isEmpty() || !m_line.open(device, *settings))
        return Failure::PortNotOpened;
    return Failure::None;
}

bool Modem::ClosePort() {
    if (!m_line.isOpen())
        return true;
    if (!m_line.close()) {
        m_status.DisplayStatus(statusText(Failure::PortNotClosed));
        return false;
    }
    return true;
}

void Modem::WaitSecs(int seconds) {
    const qint64 deadline = nowSecond() + seconds;
    while (!m_cancelled && deadline > nowSecond()) {
        const qint64 left = deadline * 1000 - Clock::instance().monotonicMs();
        Clock::instance().waitMs(qBound<qint64>(1, left, kStepMs));
    }
}

void Modem::pause(int ms) {
    if (ms % 1000 == 0) {
        WaitSecs(ms / 1000);
        return;
    }
    const qint64 deadline = Clock::instance().monotonicMs() + ms;
    for (qint64 left = ms; !m_cancelled && left > 0;
         left = deadline - Clock::instance().monotonicMs())
        Clock::instance().waitMs(std::min(left, kStepMs));
}

Modem::WaitResult Modem::AwaitString(const QByteArray& send, const QByteArray& wait, int timeout) {
    return awaitString(send, wait, timeout, false);
}

Modem::WaitResult Modem::awaitOnCall(const QByteArray& send, const QByteArray& wait, int timeout) {
    return awaitString(send, wait, timeout, true);
}

// Where the call ended in the buffer, looking from `from`: the modem's
// "NO CARRIER", or the end of what arrived once the line has gone; -1 while
// the call is up.
qsizetype Modem::callEndAt(qsizetype from) const {
    const qsizetype at = m_buffer.indexOf(kNoCarrier, from);
    if (at >= 0)
        return at;
    return m_line.isOpen() ? -1 : m_buffer.size();
}

Modem::WaitResult Modem::awaitString(const QByteArray& send, const QByteArray& wait, int timeout,
                                     bool onCall) {
    const qint64 deadline = nowSecond() + timeout;
    if (!send.isEmpty()) {
        pumpOnce();
        write(send);
        pumpOnce();
    }
    while (!m_cancelled && deadline > nowSecond()) {
        pumpOnce();
        readInput();
        // Only what came before the end of the call counts.
        const qsizetype end = onCall ? callEndAt(0) : -1;
        const auto beforeEnd = [end](qsizetype at) { return at >= 0 && (end < 0 || at < end); };
        if (beforeEnd(m_buffer.indexOf(kRejectionText))) {
            clearBuffer();
            return WaitResult::Rejected;
        }
        showScreen();
        // An empty text is found at once, but not on a call that has ended.
        const qsizetype at = wait.isEmpty() ? 0 : m_buffer.indexOf(wait);
        if (wait.isEmpty() ? end < 0 : beforeEnd(at)) {
            dropFront(at + wait.size());
            return WaitResult::Found;
        }
        if (end >= 0)
            return WaitResult::LineLost;
        waitForInput(deadline);
    }
    return m_cancelled ? WaitResult::Cancelled : WaitResult::TimedOut;
}

Modem::Match Modem::AwaitMultiString(const QByteArray& send, const QList<QByteArray>& waits,
                                     int timeout) {
    const qint64 deadline = nowSecond() + timeout;
    // Nothing to wait for skips only the wait: the text is still sent and
    // what has arrived is still read.
    bool any = false;
    for (const QByteArray& w : waits)
        any = any || !w.isEmpty();
    if (!send.isEmpty())
        write(send);
    readInput();
    showScreen();
    while (any && !m_cancelled && deadline > nowSecond()) {
        pumpOnce();
        readInput();
        showScreen();
        for (int i = 0; i < waits.size(); ++i) {
            if (waits[i].isEmpty())
                continue;
            const qsizetype at = m_buffer.indexOf(waits[i]);
            if (at >= 0) {
                Match m{i, m_buffer.left(at), WaitResult::Found};
                dropFront(at + waits[i].size());
                return m;
            }
        }
        waitForInput(deadline);
    }
    Match none;
    none.result = m_cancelled ? WaitResult::Cancelled : WaitResult::TimedOut;
    return none;
}

Modem::Match Modem::awaitAnswer(const QByteArray& block, const QList<QByteArray>& answers,
                                int timeout) {
    const qint64 deadline = nowSecond() + timeout;
    Match m;
    readInput();
    if (!m_cancelled && callEndAt(0) >= 0) {
        m.result = WaitResult::LineLost;
        return m;
    }
    // What came before the block cannot answer it.
    clearBuffer();
    write(block);
    qsizetype echo = 0;
    while (!m_cancelled && deadline > nowSecond()) {
        pumpOnce();
        readInput();
        showScreen();
        echo = 0;
        while (echo < m_buffer.size() && echo < block.size() && m_buffer[echo] == block[echo])
            ++echo;
        const qsizetype end = callEndAt(echo);
        const QByteArray heard = m_buffer.mid(echo, end < 0 ? -1 : end - echo);
        for (int i = 0; i < answers.size(); ++i) {
            const qsizetype at = findAnswer(heard, answers[i]);
            if (at >= 0) {
                m = {i, heard.left(at), WaitResult::Found};
                dropFront(echo + at + answers[i].size());
                return m;
            }
        }
        if (end >= 0) {
            m.result = WaitResult::LineLost;
            return m;
        }
        waitForInput(deadline);
    }
    // The echo is ours: whatever waits next must not take its texts for the SMSC's.
    dropFront(echo);
    m.result = m_cancelled ? WaitResult::Cancelled : WaitResult::TimedOut;
    return m;
}

Failure Modem::InitModem() {
    if (m_cancelled)
        return Failure::Cancelled;
    m_status.DisplayStatus(QStringLiteral("Resetting modem"));
    pause(m_config.tuning.resetPauseMs);
    switch (AwaitString("ATZ\r", "OK\r", 20)) {
    case WaitResult::Found:
        return Failure::None;
    case WaitResult::Cancelled:
        return Failure::Cancelled;
    default:
        return Failure::NoModem;
    }
}

Failure Modem::DialService() {
    if (m_cancelled)
        return Failure::Cancelled;
    m_status.DisplayStatus(QStringLiteral("Dialling SMSC"));
    const QByteArray dial = "ATDT" + Win1252::encode(m_config.dialString()) + kCR;
    m_carrierLost = false;
    enum { Connect, No, Error, Busy };
    const Match m = AwaitMultiString(dial, {"CONNECT", "NO ", "ERROR", "BUSY"}, 60);
    if (m.index == Connect) {
        AwaitString(QByteArray(), kCR, 2);
        return m_cancelled ? Failure::Cancelled : Failure::None;
    }
    if (m.result == WaitResult::Cancelled)
        return Failure::Cancelled;
    // A CR stops a dial still in progress.
    AwaitString(kCR, QByteArray(), 1);
    switch (m.index) {
    case No:
        return noAnswerKind(m_buffer);
    case Error:
        return Failure::DialError;
    case Busy:
        return Failure::Busy;
    default:
        return Failure::DialTimedOut;
    }
}

void Modem::HangupModem() {
    // A program that is ending sends nothing more; closing the port drops the call.
    if (m_cancelled)
        return;
    m_status.DisplayStatus(QStringLiteral("Logging Out"));
    // After "NO CARRIER" the modem is in command state: its OK may come
    // after a one-second wait that began late in its second, but the escape
    // would only cost its guard times.
    if (AwaitString("AT\r", "OK", 1) != WaitResult::Found && !m_carrierLost) {
        WaitSecs(2);
        AwaitString("+++", "OK", 5);
        WaitSecs(1);
        AwaitString("ATH\r", "OK", 10);
    }
    if (!m_cancelled)
        m_status.DisplayStatus(QStringLiteral("Logged Out"));
}
