#pragma once

#include "nom/QueueEntry.h"

#include <QList>
#include <QString>
#include <QStringList>

// Brindle's side of the exchange files. Entries are taken from the inbox and
// the carry-over file under the inbox lock, and written to Brindle's own
// journal before those files are emptied, so an entry is always in at least
// one file: a Brindle that dies at any moment loses nothing.
class QueueStore {
public:
    struct Refused {
        QString line;
        QueueEntry::Fault fault;
    };
    struct Intake {
        QStringList entries;           // to be queued, in order
        QList<Refused> refused;        // lines that cannot be sent, dropped
        QStringList skippedFirstLines; // an inbox line 1 that was not empty
        bool ok = true;                // false: nothing taken, the files are untouched
        QStringList notEmptied;        // files (relative names) that could not be emptied
    };

    // Stands between the queue and the acceptances Brindle.out still owes.
    static inline const QString kOwedMarker = QStringLiteral("#owed to Brindle.out");

    // Reads the journal a run that was killed left behind, before anything
    // can rewrite it.
    explicit QueueStore(QString appPath);

    // The journal's entries (at the first intake of a run only), then the
    // carry-over file when asked, then the inbox from its line 2. `queue` is
    // what is already queued; the journal is rewritten with it and the new
    // entries.
    Intake take(const QStringList& queue, bool withCarryOver);
    // The journal holds exactly the queue (behind the journal's own entries
    // while they are not taken), then, behind the owed marker, the accepted
    // entries Brindle.out still owes; rewritten whole, atomically.
    bool saveJournal(const QStringList& queue);
    // Appends the owed entries, then this one, to Brindle.out, oldest first.
    // False when the file refused: what is left stays owed.
    bool recordAccepted(const QString& entry);
    bool recordOwed();
    QStringList owedAccepted() const { return m_owed; }
    // Appends the journal's entries not yet taken and the queue to the
    // carry-over file, then leaves the journal with only what is owed.
    bool carryOver(const QStringList& queue);

    QString file(const QString& relative) const;

private:
    bool writeJournal(const QStringList& queue);
    QStringList journalOnly() const;

    QString m_appPath;
    // What the journal held at start, until the first intake takes it.
    QStringList m_journal;
    QStringList m_owed;
    // Journal lines that cannot be sent, reported by the first intake.
    QList<Refused> m_refusedJournal;
};
