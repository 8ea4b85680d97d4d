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

using Sequencer = ModemSequencer;

const QByteArray kCR("\r");
constexpr int kModemManagerTimeoutMs = 2000;

// What follows "NO " in the modem's answer to a dial.
Failure noAnswerKind(const QByteArray& rest) {
    if (rest.startsWith("DIALTONE"))
        return Failure::NoDialTone;
    if (rest.startsWith("ANSWER"))
        return Failure::NoAnswer;
    return Failure::NoCarrier;
}

} // namespace

Modem::Modem(SerialLine& line, StatusLog& status, const BrindleConfig& config)
    : m_line(line), m_status(status), m_config(config) {}

// The screen shows the buffer's last kScreenLimit characters. Only what
// changed goes to the window: a chatty line must not cost a layout of the
// whole buffer at every byte.
bool Modem::showScreen() {
    const QByteArray& buffer = m_sequencer.buffer();
    const qint64 start = m_sequencer.bufferStart();
    const bool blank = buffer.contains("Annex") || buffer.contains("TERMINATED");
    const qint64 end = start + buffer.size();
    const qint64 from = blank ? end : std::max(start, end - kScreenLimit);
    if (from == m_shownFrom && end == m_shownTo)
        return true;
    const bool wasEmpty = m_shownFrom == m_shownTo;
    ScreenChange change;
    if (from < m_shownFrom || from >= m_shownTo) {
        change.cleared = true;
        change.append = Win1252::decode(buffer.mid(from - start));
    } else {
        change.dropFront = from - m_shownFrom;
        change.append = Win1252::decode(buffer.mid(m_shownTo - start));
    }
    m_shownFrom = from;
    m_shownTo = end;
    if (!(wasEmpty && from == end) && m_display.screen)
        m_display.screen(change);
    return true;
}

void Modem::clearBuffer() {
    m_sequencer.clearBuffer();
    showScreen();
}

Failure Modem::OpenPort() {
    if (cancelled())
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
    if (!settings || device.isEmpty())
        return Failure::PortNotOpened;
    if (heldByModemManager(device))
        return Failure::PortHeld;
    if (!m_line.open(device, *settings))
        return Failure::PortNotOpened;
    return Failure::None;
}

// NameHasOwner first: asking ModemManager itself would start it on a system
// that has it installed but not running.
bool Modem::heldByModemManager(const QString& device) const {
    const MobileModems mm = m_modemManager.value_or(MobileModems(kModemManagerTimeoutMs));
    return mm.available() && ::heldByModemManager(device, mm.modems());
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

Modem::WaitResult Modem::AwaitString(const QByteArray& send, const QByteArray& wait, int timeout) {
    return awaitString(send, wait, timeout, false);
}

Modem::WaitResult Modem::awaitOnCall(const QByteArray& send, const QByteArray& wait, int timeout) {
    return awaitString(send, wait, timeout, true);
}

Modem::WaitResult Modem::ended() const {
    return cancelled() ? WaitResult::Cancelled : WaitResult::TimedOut;
}

Modem::WaitResult Modem::awaitString(const QByteArray& send, const QByteArray& wait, int timeout,
                                     bool onCall) {
    bool rejected = false;
    Sequencer::Options o;
    o.afterCommand = Sequencer::AfterCommand::PumpEvents;
    o.onCall = onCall;
    o.emptyAnswerAtOnce = true;
    // The rejection ends any wait, if it came before the end of the call.
    o.afterRead = [&] {
        const qsizetype end = onCall ? m_sequencer.callEndAt(0) : -1;
        const qsizetype at = m_sequencer.buffer().indexOf(kRejectionText);
        rejected = at >= 0 && (end < 0 || at < end);
        if (rejected)
            clearBuffer();
        return !rejected && showScreen();
    };
    const Sequencer::Result r = m_sequencer.run({send, timeout, {wait}}, o);
    if (rejected)
        return WaitResult::Rejected;
    if (r.outcome == Sequencer::Outcome::Answered)
        return WaitResult::Found;
    return r.outcome == Sequencer::Outcome::LineLost ? WaitResult::LineLost : ended();
}

Modem::Match Modem::AwaitMultiString(const QByteArray& send, const QList<QByteArray>& waits,
                                     int timeout) {
    // Nothing to wait for skips only the wait: the text is still sent and
    // what has arrived is still read.
    const bool any =
        std::any_of(waits.begin(), waits.end(), [](const QByteArray& w) { return !w.isEmpty(); });
    Sequencer::Options o;
    o.afterCommand = Sequencer::AfterCommand::Read;
    o.afterRead = [this] { return showScreen(); };
    const Sequencer::Result r = m_sequencer.run({send, any ? timeout : 0, waits}, o);
    if (r.outcome == Sequencer::Outcome::Answered)
        return {r.index, r.before, WaitResult::Found};
    return {-1, {}, ended()};
}

Modem::Match Modem::awaitAnswer(const QByteArray& block, const QList<QByteArray>& answers,
                                int timeout) {
    const qint64 deadline = Sequencer::deadlineIn(timeout);
    m_sequencer.read();
    if (!cancelled() && m_sequencer.callEndAt(0) >= 0)
        return {-1, {}, WaitResult::LineLost};
    // What came before the block cannot answer it.
    clearBuffer();
    Sequencer::Options o;
    o.onCall = true;
    o.skipEcho = true;
    o.singlesOnOwnLine = true;
    o.afterRead = [this] { return showScreen(); };
    const Sequencer::Result r = m_sequencer.await(deadline, {block, timeout, answers}, o);
    switch (r.outcome) {
    case Sequencer::Outcome::Answered:
        return {r.index, r.before, WaitResult::Found};
    case Sequencer::Outcome::LineLost:
        return {-1, {}, WaitResult::LineLost};
    default:
        return {-1, {}, ended()};
    }
}

Failure Modem::InitModem() {
    if (cancelled())
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
    if (cancelled())
        return Failure::Cancelled;
    m_status.DisplayStatus(QStringLiteral("Dialling SMSC"));
    const QByteArray dial = "ATDT" + Win1252::encode(m_config.dialString()) + kCR;
    m_sequencer.forgetCallEnd();
    enum { Connect, No, Error, Busy };
    const Match m = AwaitMultiString(dial, {"CONNECT", "NO ", "ERROR", "BUSY"}, 60);
    if (m.index == Connect) {
        AwaitString(QByteArray(), kCR, 2);
        return cancelled() ? Failure::Cancelled : Failure::None;
    }
    if (m.result == WaitResult::Cancelled)
        return Failure::Cancelled;
    // A CR stops a dial still in progress.
    AwaitString(kCR, QByteArray(), 1);
    switch (m.index) {
    case No:
        return noAnswerKind(m_sequencer.buffer());
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
    if (cancelled())
        return;
    m_status.DisplayStatus(QStringLiteral("Logging Out"));
    // After "NO CARRIER" the modem is in command state: its OK may come
    // after a one-second wait that began late in its second, but the escape
    // would only cost its guard times.
    if (AwaitString("AT\r", "OK", 1) != WaitResult::Found && !m_sequencer.callEndHeard()) {
        // The escape's guard time before each step; the answers are not looked at.
        const std::pair<int, ModemSequencer::Step> escape[] = {{2, {"+++", 5, {"OK"}}},
                                                               {1, {"ATH\r", 10, {"OK"}}}};
        for (const auto& [guardSecs, step] : escape) {
            WaitSecs(guardSecs);
            AwaitString(step.command, step.answers.front(), step.timeout);
        }
    }
    if (!cancelled())
        m_status.DisplayStatus(QStringLiteral("Logged Out"));
}
