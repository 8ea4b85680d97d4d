#pragma once

#include "client/outbox/AcceptedIndex.h"
#include "client/outbox/MessageIdCounter.h"
#include "common/FileLocks.h"
#include "common/Installation.h"

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class BrindleLauncher;

// One installation ("line") whose Brindle owns one modem, as a program that
// hands it messages sees it: ids, entries appended to the inbox, Brindle
// started when no run holds its lock, and what the files say of each entry.
// The files, locks and ids are exactly those the client uses.
class LineHandOver {
public:
    // How long a started Brindle may take to hold its run lock.
    static constexpr qint64 kRunLockWaitMs = 10000;

    // `appPath`: the installation's folder with its separator; `launcher` starts Brindle.
    LineHandOver(const QString& appPath, BrindleLauncher& launcher);
    LineHandOver(const LineHandOver&) = delete;
    LineHandOver& operator=(const LineHandOver&) = delete;
    const QString& appPath() const { return m_appPath; }

    // Config/ and NOM/UK/Cellnet/Config/ are there.
    bool isInstallation() const;
    // Config/Port.cfg names a port above 0.
    bool portConfigured() const;

    // The start lock, held by whoever appends and starts, or judges an entry
    // missing from every file; released when it goes.
    class StartLock {
    public:
        bool held() const { return m_lock && m_lock->held(); }

    private:
        friend class LineHandOver;
        explicit StartLock(std::unique_ptr<FileLocks::FileLock> lock) : m_lock(std::move(lock)) {}
        std::unique_ptr<FileLocks::FileLock> m_lock;
    };
    StartLock lockStart(FileLocks::FileLock::Mode mode = FileLocks::FileLock::Mode::Wait);
    // A run holds the run lock.
    bool running() const;

    // The first of `count` consecutive ids from Config/MsgID.dat, under the id
    // lock; nullopt when the file cannot be written.
    std::optional<qint64> reserveIds(int count);
    // The id the next reservation would start at (reserving nothing).
    qint64 nextId() const;

    // The entry of one piece, as the client makes an entry sent at once.
    static QString entry(qint64 id, const QDateTime& when, const QString& number,
                         const QString& text);
    // Its id key ("[12]"), as acceptances are matched.
    static QString key(const QString& entry);

    // Appends to the inbox under the inbox lock. All or nothing: a write the
    // disk cuts short is cut off again, so false means nothing was appended.
    bool append(const QStringList& entries);

    enum class Start {
        Running,    // a run holds the lock, or one was started
        NotStarted, // the program could not be started
        EndedAtOnce // it was started and ended without taking the run lock
    };
    // Starts Brindle unless a run holds its lock, for a caller that holds the
    // start lock already (a second lock of the same file here would wait for
    // ever); waits up to kRunLockWaitMs for the new run's lock. `problem` gets
    // a sentence saying why when not Running.
    Start startRunLocked(QString* problem);
    // Takes the start lock around startRunLocked.
    Start startRun(QString* problem);

    // What the files say of entry keys now: accepted (Brindle.out, read
    // incrementally), carried over (Brindle.rcv), queued (Brindle.in after its
    // placeholder line, and Brindle's journal, acceptances it still owes
    // included).
    struct Seen {
        QSet<QString> accepted, carried, queued;
    };
    Seen look();

    // Removes the entries with these keys from Brindle.rcv, the other lines
    // kept byte for byte, under the inbox lock and as Brindle empties it. Only
    // while the caller holds the start lock and no run holds the run lock;
    // false otherwise, or when the file could not be rewritten (then it holds
    // what it held).
    bool removeCarried(const QSet<QString>& keys);

private:
    QString file(const QString& relative) const;
    // Someone holds the start lock: a probe cannot take it.
    bool startLockHeld() const;

    QString m_appPath;
    BrindleLauncher& m_launcher;
    Installation m_installation;
    MessageIdCounter m_ids;
    AcceptedIndex m_accepted;
};
