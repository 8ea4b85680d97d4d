#include "client/outbox/DeliverySupervisor.h"

#include "client/outbox/AcceptedIndex.h"
#include "client/outbox/AcceptedMarking.h"
#include "client/outbox/BrindleLauncher.h"
#include "client/outbox/EntryDateTime.h"
#include "client/outbox/EntryList.h"
#include "client/outbox/InternetRoute.h"
#include "client/outbox/MessageLists.h"
#include "client/outbox/OperatorInbox.h"
#include "client/outbox/OutboxEntry.h"
#include "client/settings/ClientSettings.h"
#include "common/Clock.h"
#include "common/ExchangeFiles.h"
#include "common/InstallPath.h"
#include "common/Installation.h"
#include "common/LineFile.h"

#include <QDir>
#include <QSet>
#include <algorithm>

namespace {

using OperatorInbox::kCellnet;

const QString kNoModem = QStringLiteral(
    "No modem detected on the selected port. You will not be able to send any SMS messages.");
const QString kNothingToSend = QStringLiteral("The Outbox is empty. No messages to send        ");
const QString kChooseAnotherPort =
    QStringLiteral("Select CONFIGURE button to choose correct a valid port and try again.");

QString lastNonEmptyLine(const QString& path) {
    const QStringList lines = LineFile::readAll(path);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it)
        if (!it->isEmpty())
            return *it;
    return QString();
}

} // namespace

DeliverySupervisor::DeliverySupervisor(const Installation& installation, Lists lists,
                                       DeliveryControls& controls, BrindleLauncher& launcher,
                                       InternetRoute& internet, ClientSettings& settings,
                                       QObject* parent)
    : QObject(parent), m_installation(installation), m_lists(lists), m_controls(controls),
      m_launcher(launcher), m_internet(internet), m_settings(settings) {}

DeliverySupervisor::~DeliverySupervisor() = default;

void DeliverySupervisor::releaseDueEntries() {
    const QDateTime now = Clock::instance().now();
    for (int i = 0; i < m_lists.schedule.count();) {
        const QString entry = m_lists.schedule.at(i);
        const auto when = EntryDateTime::of(entry);
        if (when && *when <= now) {
            m_lists.schedule.removeAt(i);
            m_lists.outbox.append(entry);
            if (addOperatorQueue)
                addOperatorQueue(entry);
        } else {
            ++i;
        }
    }
}

void DeliverySupervisor::WriteMsgQueue() {
    // The count is written with one leading blank, as a number is printed.
    LineFile::rewrite(ExchangeFiles::path(m_installation.folder(), ExchangeFiles::kCurrentQueue),
                      {"Cellnet  " + QString::number(m_lists.operatorQueue.count())}, false);
}

void DeliverySupervisor::ClearAcceptedMsgs() {
    // Only a prefix marks an entry: a message may itself say "Accepted::".
    QStringList moved;
    for (int i = 0; i < m_lists.outbox.count(); ++i)
        if (m_lists.outbox.at(i).startsWith(OutboxEntry::kAccepted))
            moved << m_lists.outbox.at(i);
    if (moved.isEmpty())
        return;
    // Written before they leave the outbox, so nothing is lost on a failed write.
    if (!LineFile::appendLines(m_installation.file(MessageLists::kAcceptedFile), moved))
        return;
    for (int i = m_lists.outbox.count() - 1; i >= 0; --i)
        if (m_lists.outbox.at(i).startsWith(OutboxEntry::kAccepted))
            m_lists.outbox.removeAt(i);
}

void DeliverySupervisor::ChangeStatus2Accepted(const QString& code) {
    if (code != kCellnet)
        return;
    const QString path = ExchangeFiles::path(m_installation.folder(), ExchangeFiles::kAccepted);
    if (!m_accepted || path != m_acceptedPath) {
        m_accepted = std::make_unique<AcceptedIndex>(path);
        m_acceptedPath = path;
    }
    m_accepted->refresh();
    QStringList entries = m_lists.outbox.all();
    for (int i : AcceptedMarking::markAccepted(entries, *m_accepted))
        m_lists.outbox.set(i, entries[i]);
}

void DeliverySupervisor::ChangeStatus2Pending(const QString& code) {
    if (code != kCellnet)
        return;
    const QStringList queued = m_lists.operatorQueue.all();
    const QSet<QString> waiting(queued.cbegin(), queued.cend());
    for (int i = 0; i < m_lists.outbox.count(); ++i) {
        const QString e = m_lists.outbox.at(i);
        if (waiting.contains(e))
            m_lists.outbox.set(i, OutboxEntry::kProcessing + e);
    }
}

void DeliverySupervisor::ChangeNOM(const QString& word) {
    ExchangeFiles::writeStateWord(m_installation.folder(), word);
}

void DeliverySupervisor::WriteCurrentNOM(const QString& code) {
    QString text;
    if (code == kCellnet)
        text = "Cellnet";
    else if (code == "NON")
        text = "No NOM Active";
    else if (code == "CRASH")
        text = "NOM Failed. Queued Messages";
    else
        text = "Default SMSC";
    if (code == "CRASH")
        crashHandling();
    LineFile::rewrite(ExchangeFiles::path(m_installation.folder(), ExchangeFiles::kCurrentNom),
                      {text}, false);
}

void DeliverySupervisor::crashHandling() {
    emit notice({kNoModem + QStringLiteral("\r\n") + kChooseAnotherPort, Notice::kWarningTitle,
                 Notice::Mark::None});
    ChangeNOM(ExchangeFiles::kStart);
    m_lists.outbox.clear();
    m_controls.setConfigureEnabled(true);
    m_nomAlive = true;
}

void DeliverySupervisor::PingNOM(const QString& code) {
    if (code != kCellnet)
        return;
    const QString value =
        lastNonEmptyLine(ExchangeFiles::path(m_installation.folder(), ExchangeFiles::kAlive));
    const qint64 now = Clock::instance().monotonicMs();
    if (!m_inUseSeen) {
        // Silence is counted from the moment the run is first seen in use.
        m_inUseSeen = true;
        m_lastPing = value;
        m_lastPingChange = now;
    } else if (value != m_lastPing) {
        m_lastPing = value;
        m_lastPingChange = now;
    }
    m_nomAlive = !brindleDead();
}

bool DeliverySupervisor::brindleDead() {
    const qint64 silent = Clock::instance().monotonicMs() - m_lastPingChange;
    if (silent >= kSilentRunningMs && m_launcher.running()) {
        m_launcher.terminate();
        return true;
    }
    return silent >= kSilentEndedMs && !m_launcher.running();
}

void DeliverySupervisor::poll() {
    if (m_inTick)
        return; // a click inside this tick's wait started the timer again
    m_inTick = true;
    m_controls.stopPoll();

    releaseDueEntries();
    if (m_lists.outbox.isEmpty())
        m_controls.setConfigureEnabled(true);
    WriteMsgQueue();
    ClearAcceptedMsgs();
    ChangeStatus2Accepted(kCellnet);

    const bool running = FileLocks::brindleRunning(m_installation.folder());
    const bool starting = startPending(running);
    const QString status = ExchangeFiles::readStateWord(m_installation.folder());
    bool busy = false;
    bool crashed = false;
    // A run another program started, still holding its lock, is never taken
    // for a crash of ours: its silence is not ours to judge.
    if (status == ExchangeFiles::kInUse && running && !m_launcher.running()) {
        busy = true;
    } else if (status == ExchangeFiles::kInUse) {
        busy = true;
        PingNOM(kCellnet);
        if (!m_nomAlive) {
            WriteCurrentNOM("CRASH");
            busy = false;
            crashed = true;
        }
    }
    // A run just started may not have written "INUSE" yet: a second one
    // would find the port taken and crash both.
    if (status == ExchangeFiles::kRequested && m_launcher.running())
        busy = true;
    if (status == ExchangeFiles::kComplete) {
        WriteCurrentNOM("NON");
        ChangeStatus2Accepted(kCellnet);
        busy = false;
    }
    if (status == ExchangeFiles::kCrash) {
        WriteCurrentNOM("CRASH");
        busy = false;
        crashed = true;
    }

    // Whoever started it, a run holding its lock is running: a second would
    // find the port taken.
    if (running || starting)
        busy = true;

    // After a crash the next run starts at the next tick, not in this one.
    if (!busy && !crashed && startDue()) {
        if (!m_lists.operatorQueue.isEmpty()) {
            startBrindle();
        } else if (leftInInbox()) {
            m_leftoverRetryAt = Clock::instance().monotonicMs() + kLeftoverRetryMs;
            startBrindle();
        }
    }

    if (m_lists.outbox.isEmpty() && m_controls.queueMode())
        m_controls.setConfigureEnabled(true);
    else
        m_controls.startPoll();
    m_inTick = false;
}

// Entries appended just as a run ended, or while a run another program
// started held the line, are still in the inbox with nobody to send them;
// ours wait in the outbox as "Processing::" until another run takes them.
bool DeliverySupervisor::leftInInbox() const {
    if (m_leftoverRetryAt >= 0 && Clock::instance().monotonicMs() < m_leftoverRetryAt)
        return false;
    bool waiting = false;
    for (int i = 0; i < m_lists.outbox.count() && !waiting; ++i)
        waiting = m_lists.outbox.at(i).startsWith(OutboxEntry::kProcessing);
    if (!waiting)
        return false;
    const QStringList inbox =
        LineFile::readAll(ExchangeFiles::path(m_installation.folder(), ExchangeFiles::kInbox));
    return std::any_of(inbox.cbegin(), inbox.cend(),
                       [](const QString& line) { return !line.trimmed().isEmpty(); });
}

bool DeliverySupervisor::startDue() const {
    return m_startRetryAt < 0 || Clock::instance().monotonicMs() >= m_startRetryAt;
}

bool DeliverySupervisor::startPending(bool running) {
    if (m_startLock &&
        (running || !m_launcher.running() || Clock::instance().monotonicMs() >= m_startLockUntil))
        m_startLock.reset();
    return m_startLock != nullptr;
}

void DeliverySupervisor::startBrindle() {
    // quorvel-send starts runs too: "running?" and the start are one step
    // under the start lock. Taken by another starter: busy for now.
    auto startLock = std::make_unique<FileLocks::FileLock>(
        m_installation.file(FileLocks::kStartLock), FileLocks::FileLock::Mode::Try);
    if (!startLock->held() || FileLocks::brindleRunning(m_installation.folder()))
        return;
    const QString program = ExchangeFiles::path(m_installation.folder(), ExchangeFiles::kProgram);
    // A program that is not there fails at once, not after the wait.
    QString reason = m_launcher.startProblem(program);
    if (reason.isEmpty()) {
        WriteCurrentNOM(kCellnet);
        ChangeNOM(ExchangeFiles::kRequested);
        m_inUseSeen = false;
        WaitSecs(2);
        if (m_launcher.start(program, QDir::currentPath(), reason)) {
            // Only now: the entries of a run that never started stay deletable.
            ChangeStatus2Pending(kCellnet);
            m_lists.operatorQueue.clear();
            m_startLock = std::move(startLock);
            m_startLockUntil = Clock::instance().monotonicMs() + kRunLockWaitMs;
            m_startRetryAt = -1;
            m_startFailureTold = false;
            return;
        }
        ChangeNOM(ExchangeFiles::kStart);
    }
    m_startRetryAt = Clock::instance().monotonicMs() + kStartRetryMs;
    if (m_startFailureTold)
        return;
    m_startFailureTold = true;
    emit notice({QStringLiteral("The operator module could not be started:\r\n") +
                 QDir::toNativeSeparators(program) + QStringLiteral("\r\n") + reason +
                 QStringLiteral("\r\nThe messages stay in the Outbox and are tried "
                                "again in a minute or at Send Queue.")});
}

std::optional<Notice> DeliverySupervisor::sendQueueClicked() {
    if (m_settings.isModem()) {
        // The user asks again: try at once, and tell again if it fails.
        m_startRetryAt = -1;
        m_startFailureTold = false;
        if (m_lists.outbox.isEmpty()) {
            m_controls.setConfigureEnabled(true);
            m_controls.stopBlinking();
            return Notice{kNothingToSend};
        }
        m_controls.startPoll();
        m_controls.setConfigureEnabled(false);
        m_controls.stopBlinking();
        return std::nullopt;
    }
    if (!m_lists.outbox.isEmpty()) {
        m_internet.submitOutbox();
        m_controls.stopBlinking();
        return std::nullopt;
    }
    m_controls.stopBlinking();
    m_controls.setConfigureEnabled(true);
    return Notice{kNothingToSend};
}
