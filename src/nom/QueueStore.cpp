#include "nom/QueueStore.h"

#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "nom/QueueEntry.h"

#include <QFile>

using namespace ExchangeFiles;

namespace {

QStringList nonEmpty(const QStringList& lines) {
    QStringList out;
    for (const QString& l : lines)
        if (!l.isEmpty())
            out << l;
    return out;
}

// Empties a file others may hold open: truncated in place, never replaced.
bool emptyInPlace(const QString& file) {
    QFile f(file);
    if (!f.exists())
        return ensureOneEmptyLineFile(file);
    if (f.size() == 2 && f.open(QIODevice::ReadOnly) && f.readAll() == "\r\n")
        return true;
    return LineFile::makeOneEmptyLine(file);
}

} // namespace

QueueStore::QueueStore(QString appPath) : m_appPath(std::move(appPath)) {}

QString QueueStore::file(const QString& relative) const {
    return ExchangeFiles::path(m_appPath, relative);
}

QueueStore::Intake QueueStore::take(const QStringList& queue, bool withCarryOver) {
    InboxLock lock(m_appPath);
    Intake in;

    const QStringList journal =
        m_journalRead ? QStringList() : nonEmpty(LineFile::readAll(file(kJournal)));
    QStringList candidates;
    if (withCarryOver)
        candidates << nonEmpty(LineFile::readAll(file(kCarryOver)));
    const QStringList inbox = LineFile::readAll(file(kInbox));
    if (!inbox.isEmpty() && !inbox.first().trimmed().isEmpty())
        in.skippedFirstLines << inbox.first();
    for (qsizetype i = 1; i < inbox.size(); ++i)
        if (!inbox[i].trimmed().isEmpty())
            candidates << inbox[i];

    // A run that died between writing its journal and emptying the files left
    // the same entries in both: the journal's copy is the one kept.
    QStringList unmatched = journal;
    for (const QString& line : journal)
        in.entries << line;
    for (const QString& line : candidates) {
        if (unmatched.removeOne(line))
            continue;
        if (QueueEntry::parse(line))
            in.entries << line;
        else
            in.malformed << line;
    }

    if (!in.entries.isEmpty() && !saveJournal(queue + in.entries))
        return Intake{{}, {}, {}, false};
    m_journalRead = true;

    if (withCarryOver)
        emptyInPlace(file(kCarryOver));
    emptyInPlace(file(kInbox));
    return in;
}

bool QueueStore::saveJournal(const QStringList& queue) {
    return LineFile::rewrite(file(kJournal), queue);
}

bool QueueStore::recordAccepted(const QString& entry) {
    return LineFile::append(file(kAccepted), entry);
}

bool QueueStore::carryOver(const QStringList& queue) {
    const QStringList entries = nonEmpty(queue);
    if (!entries.isEmpty()) {
        InboxLock lock(m_appPath);
        if (!LineFile::appendLines(file(kCarryOver), entries))
            return false; // the journal still holds them
    }
    return saveJournal({});
}
