#include "nom/BrindleController.h"

#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "nom/QueueEntry.h"

using namespace ExchangeFiles;

BrindleController::BrindleController(SerialLine& line, QString programDir, QString currentDir,
                                     QObject* parent)
    : QObject(parent), m_programDir(std::move(programDir)), m_currentDir(std::move(currentDir)),
      m_modem(line, m_status, m_config), m_tap(m_modem, m_status) {
    m_status.onStatus([this](const QString& text) { emit statusAdded(text); });
    Modem::Display display;
    display.port = [this](const QString& p) { emit portShown(p); };
    display.lineSettings = [this](const QString& s) { emit lineSettingsShown(s); };
    display.screen = [this](const Modem::ScreenChange& c) {
        emit modemScreenChanged(c.cleared, c.dropFront, c.append);
    };
    m_modem.setDisplay(std::move(display));

    m_sendTimer.setInterval(kTimerIntervalMs);
    m_aliveTimer.setInterval(kTimerIntervalMs);
    connect(&m_sendTimer, &QTimer::timeout, this, &BrindleController::sendTick);
    connect(&m_aliveTimer, &QTimer::timeout, this, &BrindleController::aliveTick);
}

BrindleController::~BrindleController() = default;

void BrindleController::start() {
    m_config.appPath = BrindleConfig::resolveAppPath(m_programDir, m_currentDir);
    m_store = std::make_unique<QueueStore>(m_config.appPath);
    m_config.readPortFile();
    m_status.setMonitorLog(path(m_config.appPath, kMonitorLog));
    LineFile::truncate(path(m_config.appPath, kMonitorLog));
    writeStateWord(m_config.appPath, kInUse);
    m_config.readOutsideLine();
    m_config.ReadConfigFile(m_status);
    DisplayStatus(QStringLiteral("******* Starting Brindlemod ********"));

    emit settingsShown(m_config.dialString(), m_config.lineSpeed);

    if (!m_config.problems().isEmpty()) {
        giveUp(m_config.problems());
        return;
    }
    m_retriesLeft = m_config.retries;
    m_alive = AliveCounter(m_config.pingBase);
    m_mobile = MobileRoute::forPort(m_config, m_status, m_modem);
    setSendTimer(true);
}

void BrindleController::startTimers() {
    m_realTimers = true;
    if (m_ended)
        return;
    if (m_sendTimerOn)
        m_sendTimer.start(m_config.tuning.firstTickMs);
    m_aliveTimer.start();
}

void BrindleController::setSendTimer(bool on) {
    if (stopping())
        on = false;
    m_sendTimerOn = on;
    if (m_realTimers) {
        if (on)
            m_sendTimer.start(kTimerIntervalMs);
        else
            m_sendTimer.stop();
    }
    emit sendTimerSwitched(on);
}

void BrindleController::SetOnline() {
    m_online = true;
    setSendTimer(false);
}

void BrindleController::SetOffline() {
    m_online = false;
    setSendTimer(true);
}

void BrindleController::queueChanged() {
    if (m_ended)
        return;
    m_store->saveJournal(m_queue);
    emit queuesChanged(m_queue, m_sent);
}

namespace {

QString refusalText(QueueEntry::Fault fault) {
    switch (fault) {
    case QueueEntry::Fault::OverLong:
        return QStringLiteral("Skipped over-long entry : ");
    case QueueEntry::Fault::ControlCharacter:
        return QStringLiteral("Skipped entry with a control character : ");
    default:
        return QStringLiteral("Skipped malformed entry : ");
    }
}

} // namespace

void BrindleController::takeEntries(bool withCarryOver) {
    const QueueStore::Intake in = m_store->take(m_queue, withCarryOver);
    for (const QString& line : in.skippedFirstLines)
        DisplayStatus(QStringLiteral("Skipped line 1 of Brindle.in : ") + QueueEntry::shown(line));
    for (const QueueStore::Refused& r : in.refused)
        DisplayStatus(refusalText(r.fault) + QueueEntry::shown(r.line));
    if (!in.ok)
        DisplayStatus(QStringLiteral("Cannot write Brindle.tkn: entries left in the inbox"));
    for (const QString& f : in.notEmptied)
        DisplayStatus(QStringLiteral("Cannot empty %1: its entries are left in it")
                          .arg(f.section(QLatin1Char('\\'), -1)));
    if (!in.entries.isEmpty()) {
        m_queue += in.entries;
        emit queuesChanged(m_queue, m_sent);
    }
}

void BrindleController::ReadInboxs() {
    takeEntries(true);
}

void BrindleController::sendTick() {
    // A tick that arrives inside a send cycle (its waits run the event loop) is ignored.
    if (stopping() || m_inTick || !m_sendTimerOn)
        return;
    m_inTick = true;
    if (m_retriesLeft == m_config.retries)
        ReadInboxs();
    if (m_retriesLeft > 0) {
        --m_retriesLeft;
        sendCycle();
    }
    if (m_exitRequested) {
        m_inTick = false;
        exitNow();
        return;
    }
    if (!m_ended) {
        if (m_retriesLeft != 0) {
            DisplayStatus(QStringLiteral("Cannot contact SMSC... Retrying"));
        } else {
            DisplayStatus(QStringLiteral("Cannot contact SMSC... Exiting"));
            giveUp({});
        }
    }
    m_inTick = false;
}

void BrindleController::giveUp(const QStringList& reasons) {
    for (const QString& r : reasons)
        DisplayStatus(r);
    if (!reasons.isEmpty())
        takeEntries(true); // a run that cannot start still hands back what it holds
    settleAccepted();
    if (!m_store->carryOver(m_queue)) {
        DisplayStatus(QStringLiteral("Cannot write Brindle.rcv: entries kept in Brindle.tkn"));
    } else {
        m_queue.clear();
        emit queuesChanged(m_queue, m_sent);
    }
    writeStateWord(m_config.appPath, kCrash);
    m_modem.ClosePort();
    end(kCrash);
}

void BrindleController::sendCycle() {
    takeEntries(false);
    setSendTimer(false);
    if (!m_queue.isEmpty()) {
        GoOnline();
        if (!m_online && !stopping()) {
            m_modem.WaitSecs(5);
            if (!stopping())
                GoOnline();
        }
        if (m_online && !stopping())
            SendAllMessages();
    }
    if (stopping())
        return;
    if (m_queue.isEmpty() && m_mobile) {
        m_mobile->awaitReports();
        if (stopping())
            return;
    }
    if (m_queue.isEmpty()) {
        settleAccepted();
        writeStateWord(m_config.appPath, kComplete);
        m_modem.ClosePort();
        end(kComplete);
        return;
    }
    setSendTimer(true);
}

bool BrindleController::GoOnline() {
    SetOnline();
    m_acceptedInCall = 0;
    if (m_mobile) {
        // The route has said why it cannot send.
        if (m_mobile->open() == Failure::None)
            return true;
        SetOffline();
        return false;
    }
    Failure failure = m_modem.OpenPort();
    bool called = false;
    if (failure == Failure::None)
        failure = m_modem.InitModem();
    if (failure == Failure::None) {
        called = true;
        failure = m_modem.DialService();
    }
    if (failure == Failure::None)
        failure = m_tap.TAPLogin();
    if (failure == Failure::None)
        return true;
    // Exit cut a wait short: nothing happened that needs reporting.
    if (failure == Failure::Cancelled)
        return false;
    DisplayStatus(statusText(failure));
    if (called)
        m_modem.HangupModem();
    m_modem.ClosePort();
    SetOffline();
    return false;
}

// The SMSC drops the call after a log-off, so a new log-on needs a new call.
Failure BrindleController::renewLogon() {
    m_tap.TAPLogout();
    m_acceptedInCall = 0;
    m_modem.pause(m_config.tuning.renewPauseBeforeMs);
    Failure failure = m_modem.InitModem();
    if (failure == Failure::None)
        failure = m_modem.DialService();
    if (failure == Failure::None)
        failure = m_tap.TAPLogin();
    if (failure == Failure::None)
        m_modem.pause(m_config.tuning.renewPauseAfterMs);
    // Exit cuts every wait short.
    return m_modem.cancelled() ? Failure::Cancelled : failure;
}

void BrindleController::dropFirst() {
    if (m_queue.isEmpty())
        return;
    m_queue.removeFirst();
    queueChanged();
}

void BrindleController::acceptFirst(const QString& entry) {
    // Recorded before it leaves the journal: a death in between sends it twice
    // rather than never reporting it. An entry Brindle.out refuses stays owed, in
    // the journal, and is tried again after the next acceptance and at the end.
    if (!m_store->recordAccepted(entry))
        DisplayStatus(QStringLiteral("Cannot write Brindle.out, kept for later : ") + entry);
    m_queue.removeFirst();
    m_sent << entry;
    queueChanged();
}

void BrindleController::settleAccepted() {
    if (!m_store || m_store->owedAccepted().isEmpty())
        return;
    if (!m_store->recordOwed())
        for (const QString& entry : m_store->owedAccepted())
            DisplayStatus(QStringLiteral("Cannot write Brindle.out, kept in Brindle.tkn : ") +
                          entry);
    m_store->saveJournal(m_queue);
}

bool BrindleController::SendAllMessages() {
    m_logonCount = 0;
    while (!m_queue.isEmpty()) {
        if (stopping())
            return false;
        const QString entry = m_queue.first();
        const std::optional<QueueEntry> parsed = QueueEntry::parse(entry);
        if (!parsed) {
            DisplayStatus(refusalText(QueueEntry::Fault::Malformed) + QueueEntry::shown(entry));
            dropFirst();
            continue;
        }
        DisplayStatus(QStringLiteral("Sending Message ") + parsed->number + ' ');
        if (!m_mobile && m_logonCount == m_config.tuning.messagesPerLogon) {
            m_logonCount = 0;
            if (const Failure f = renewLogon(); f != Failure::None) {
                failCycle(f);
                return false;
            }
        }
        const TapSession::Result sent = m_mobile ? m_mobile->send(entry, *parsed)
                                                 : m_tap.SendMessage(parsed->number, parsed->text);
        // What the SMSC answered counts even when Exit came during the wait:
        // an accepted entry is recorded, a rejected one dropped, and neither
        // is carried over.
        if (sent.accepted) {
            ++m_logonCount;
            ++m_acceptedInCall;
            if (sent.failure == Failure::None)
                DisplayStatus(sent.answer);
            acceptFirst(entry);
            if (sent.failure == Failure::None)
                continue;
        } else if (sent.failure == Failure::Rejected) {
            dropFirst();
        } else if (sent.failure == Failure::Resent && m_resent.count(entry) >= kResentCycles) {
            // Asked for again cycle after cycle, it would hold back every entry behind it.
            DisplayStatus(QStringLiteral("Refused by SMSC: ") + QueueEntry::id(entry));
            dropFirst();
            failCycle(Failure::Rejected, false);
            return false;
        }
        failCycle(sent.failure, !m_mobile);
        return false;
    }
    return true;
}

int BrindleController::Streak::count(const QString& entry) {
    m_count = entry == m_entry ? m_count + 1 : 1;
    m_entry = entry;
    return m_count;
}

bool BrindleController::refunds(Failure failure) {
    const QString head = m_queue.value(0);
    switch (failure) {
    case Failure::Rejected:
    case Failure::Resent:
        return true;
    case Failure::LineLost:
        // The centre took a message in this call before the line went: the
        // call was worth its retry, as far as the same entry does not keep
        // failing.
        if (m_acceptedInCall == 0)
            return false;
        [[fallthrough]];
    case Failure::AnswerTimedOut:
        if (m_unanswered.count(head) < kTimeoutsPerRetry)
            return true;
        m_unanswered = Streak();
        return false;
    default:
        return false;
    }
}

void BrindleController::failCycle(Failure failure, bool report) {
    if (failure == Failure::Cancelled || m_modem.cancelled())
        return; // the program is ending: no line to drop, nothing to report
    if (refunds(failure))
        ++m_retriesLeft;
    if (report)
        DisplayStatus(statusText(failure));
    if (m_mobile) {
        SetOffline();
        return;
    }
    m_modem.WaitSecs(3);
    m_modem.HangupModem();
    m_modem.WaitSecs(5);
    m_modem.AwaitString("\r", QByteArray(), 2);
    m_modem.ClosePort();
    SetOffline();
}

void BrindleController::aliveTick() {
    if (m_ended)
        return;
    LineFile::rewrite(path(m_config.appPath, kAlive), {QString::number(m_alive.next())}, false);
}

void BrindleController::exitClicked() {
    if (stopping())
        return;
    m_exitRequested = true;
    m_modem.cancel(); // every wait returns at once and nothing more is sent
    // Inside a send cycle the exit waits for the cycle to unwind, which is at
    // once, so that an acceptance that has arrived is recorded first.
    if (!m_inTick)
        exitNow();
}

void BrindleController::exitNow() {
    settleAccepted();
    // Entries already taken from the exchange files go back for the next run.
    if (m_store && m_store->carryOver(m_queue)) {
        m_queue.clear();
        emit queuesChanged(m_queue, m_sent);
    }
    m_modem.cancel();
    m_modem.ClosePort();
    end(QStringLiteral("EXIT"));
}

void BrindleController::end(const QString& how) {
    if (m_ended)
        return;
    m_ended = true;
    m_endedAs = how;
    m_online = false;
    m_modem.cancel();
    m_sendTimerOn = false;
    m_sendTimer.stop();
    m_aliveTimer.stop();
    emit finished(how);
}
