#include "handover/LineHandOver.h"

#include "client/outbox/BrindleLauncher.h"
#include "client/outbox/MessageAssembler.h"
#include "common/AppPath.h"
#include "common/Clock.h"
#include "common/ExchangeFiles.h"
#include "common/InstallPath.h"
#include "common/LineFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The keys of a file's lines from line `from` on, read from its bytes: only
// the keys are decoded, so a poll stays cheap with thousands of lines.
void keysIn(const QString& file, QSet<QString>& keys, int from = 0) {
    int line = 0;
    LineFile::forEachLine(ExchangeFiles::readBytes(file), [&](QByteArrayView text, qsizetype) {
        if (line++ >= from)
            if (QString key = AcceptedIndex::rawLineKey(text); !key.isEmpty())
                keys.insert(std::move(key));
    });
}

} // namespace

LineHandOver::LineHandOver(const QString& appPath, BrindleLauncher& launcher)
    : m_appPath(appPath), m_launcher(launcher), m_installation(Installation::at(appPath)),
      m_ids(m_installation, {}),
      m_accepted(ExchangeFiles::path(appPath, ExchangeFiles::kAccepted)) {}

QString LineHandOver::file(const QString& relative) const {
    return InstallPath::resolve(m_appPath, relative);
}

bool LineHandOver::isInstallation() const {
    return QFileInfo(file(QStringLiteral("Config"))).isDir() &&
           QFileInfo(file(QStringLiteral("NOM\\UK\\Cellnet\\Config"))).isDir();
}

bool LineHandOver::portConfigured() const {
    bool ok = false;
    const int port = LineFile::readLast(file(ExchangeFiles::kPortFile)).trimmed().toInt(&ok);
    return ok && port > 0;
}

LineHandOver::StartLock LineHandOver::lockStart(FileLocks::FileLock::Mode mode) {
    return StartLock(std::make_unique<FileLocks::FileLock>(file(FileLocks::kStartLock), mode));
}

bool LineHandOver::startLockHeld() const {
    return !FileLocks::FileLock(file(FileLocks::kStartLock), FileLocks::FileLock::Mode::Try).held();
}

bool LineHandOver::running() const {
    return FileLocks::brindleRunning(m_appPath);
}

std::optional<qint64> LineHandOver::reserveIds(int count) {
    return m_ids.reserve(count);
}

qint64 LineHandOver::nextId() const {
    return m_ids.next();
}

QString LineHandOver::entry(qint64 id, const QDateTime& when, const QString& number,
                            const QString& text) {
    return MessageAssembler::immediateEntry(id, when, number, text);
}

QString LineHandOver::key(const QString& entry) {
    return AcceptedIndex::entryKey(entry);
}

bool LineHandOver::append(const QStringList& entries) {
    return ExchangeFiles::appendToInbox(m_appPath, entries);
}

LineHandOver::Start LineHandOver::startRunLocked(QString* problem) {
    Q_ASSERT(startLockHeld());
    QString why;
    const auto failed = [&](Start start, const QString& text) {
        if (problem)
            *problem = text;
        return start;
    };
    if (running())
        return Start::Running;
    // Brindle finds the installation by the AppPath.cfg of its working
    // folder, whoever starts it from wherever.
    const AppPath stored(m_appPath, m_appPath);
    if (stored.read() != m_appPath)
        LineFile::rewriteInPlace(stored.configFile(), {m_appPath});
    const QString program = file(ExchangeFiles::kProgram);
    why = m_launcher.startProblem(program);
    if (why.isEmpty()) {
        ExchangeFiles::writeStateWord(m_appPath, ExchangeFiles::kRequested);
        if (m_launcher.start(program, m_appPath, why)) {
            Clock& clock = Clock::instance();
            const qint64 until = clock.monotonicMs() + kRunLockWaitMs;
            while (!running() && m_launcher.running() && clock.monotonicMs() < until)
                clock.waitMs(20);
            // A run that took the lock has left the state word behind it.
            if (running() || m_launcher.running() ||
                ExchangeFiles::readStateWord(m_appPath) != ExchangeFiles::kRequested)
                return Start::Running;
            why = m_launcher.lastWords();
            return failed(
                Start::EndedAtOnce,
                "Brindle could not start: " +
                    (why.isEmpty() ? QStringLiteral("it ended at once, without a word") : why));
        }
    }
    return failed(Start::NotStarted, "the operator module " + QDir::toNativeSeparators(program) +
                                         " could not be started: " + why);
}

LineHandOver::Start LineHandOver::startRun(QString* problem) {
    // The client starts runs too: "running?" and the start are one step.
    const StartLock lock = lockStart();
    return startRunLocked(problem);
}

LineHandOver::Seen LineHandOver::look() {
    Seen seen;
    m_accepted.refresh();
    seen.accepted = m_accepted.keys();
    keysIn(file(ExchangeFiles::kCarryOver), seen.carried);
    // The inbox's first line is a placeholder Brindle never sends.
    keysIn(file(ExchangeFiles::kInbox), seen.queued, 1);
    keysIn(file(ExchangeFiles::kJournal), seen.queued);
    return seen;
}

bool LineHandOver::removeCarried(const QSet<QString>& keys) {
    // With a run going, or a start on its way, Brindle may be taking the file.
    if (running() || !startLockHeld())
        return false;
    const ExchangeFiles::InboxLock lock(m_appPath);
    return lock.held() && ExchangeFiles::dropLinesInPlace(
                              file(ExchangeFiles::kCarryOver), [&](QByteArrayView line) {
                                  return keys.contains(AcceptedIndex::rawLineKey(line));
                              });
}
