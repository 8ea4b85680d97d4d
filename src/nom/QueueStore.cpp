#include "nom/QueueStore.h"

#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "nom/QueueEntry.h"

#include <algorithm>
#include <utility>

using namespace ExchangeFiles;

namespace {

QStringList nonEmpty(const QStringList& lines) {
    QStringList out;
    for (const QString& l : lines)
        if (!l.isEmpty())
            out << l;
    return out;
}

} // namespace

// The journal is read with the inbox's checks: an older run, a torn disk or
// a hand may have left anything in it, and what it says is owed goes to
// Brindle.out as it stands.
QueueStore::QueueStore(QString appPath) : m_appPath(std::move(appPath)) {
    const QStringList journal = LineFile::readAll(file(kJournal));
    qsizetype owed = journal.indexOf(kOwedMarker);
    qsizetype queueEnd = owed;
    // Journals of earlier runs mark the owed part with an empty line. One
    // that starts with it cannot show that its lines were ever sent: they
    // are sent again rather than reported as accepted.
    if (owed < 0) {
        owed = journal.indexOf(QString());
        queueEnd = owed;
        if (owed == 0) {
            owed = -1;
            queueEnd = -1;
        }
    }
    const auto checked = [this](const QStringList& lines) {
        QStringList out;
        for (const QString& line : nonEmpty(lines)) {
            const QueueEntry::Fault fault = QueueEntry::check(line);
            if (fault == QueueEntry::Fault::None)
                out << line;
            else
                m_refusedJournal << Refused{line, fault};
        }
        return out;
    };
    m_journal = checked(journal.mid(0, queueEnd));
    if (owed >= 0)
        m_owed = checked(journal.mid(owed + 1));
}

QString QueueStore::file(const QString& relative) const {
    return ExchangeFiles::path(m_appPath, relative);
}

QueueStore::Intake QueueStore::take(const QStringList& queue, bool withCarryOver) {
    InboxLock lock(m_appPath);
    Intake in;
    in.refused = std::exchange(m_refusedJournal, {});

    // Each entry with the file it came from, so that a file that cannot be
    // emptied keeps its lines for a later intake instead of giving them twice.
    struct Taken {
        QString line;
        QString from; // empty: the journal
    };
    QList<Taken> taken;
    for (const QString& line : m_journal)
        taken << Taken{line, QString()};
    const qsizetype fromJournal = taken.size();

    QStringList sources;
    if (withCarryOver)
        sources << kCarryOver;
    sources << kInbox;
    QList<QByteArray> before;
    for (const QString& source : sources) {
        before << readBytes(file(source));
        const QStringList lines = LineFile::decodeLines(before.last());
        QStringList candidates;
        if (source == kCarryOver) {
            candidates = nonEmpty(lines);
        } else {
            if (!lines.isEmpty() && !lines.first().trimmed().isEmpty())
                in.skippedFirstLines << lines.first();
            for (qsizetype i = 1; i < lines.size(); ++i)
                if (!lines[i].trimmed().isEmpty())
                    candidates << lines[i];
        }
        for (const QString& line : candidates) {
            // A run that died between writing its journal and emptying the
            // files left the same entry in both: it is taken once.
            const auto journalEnd = taken.begin() + fromJournal;
            const auto copy = std::find_if(taken.begin(), journalEnd, [&](const Taken& t) {
                return t.from.isEmpty() && t.line == line;
            });
            if (copy != journalEnd)
                copy->from = source;
            else if (const QueueEntry::Fault fault = QueueEntry::check(line);
                     fault != QueueEntry::Fault::None)
                in.refused << Refused{line, fault};
            else
                taken << Taken{line, source};
        }
    }

    const auto lines = [&taken] {
        QStringList out;
        for (const Taken& t : taken)
            out << t.line;
        return out;
    };
    if (!taken.isEmpty() && !writeJournal(queue + lines())) {
        Intake failed;
        failed.refused = in.refused;
        failed.ok = false;
        return failed;
    }
    m_journal.clear();

    for (qsizetype i = 0; i < sources.size(); ++i) {
        const QString f = file(sources[i]);
        if (emptyInPlace(f))
            continue;
        in.notEmptied << sources[i];
        // Untouched, it still holds its lines: they stay there. A file the
        // failed write did change has lost them, so the journal's copy stands.
        if (readBytes(f) == before[i])
            taken.removeIf([&](const Taken& t) { return t.from == sources[i]; });
    }
    // Should this fail, the journal holds lines its file holds too: a later
    // start takes them once, and the next queue change rewrites it anyway.
    if (!in.notEmptied.isEmpty())
        writeJournal(queue + lines());

    in.entries = lines();
    return in;
}

bool QueueStore::saveJournal(const QStringList& queue) {
    return writeJournal(m_journal + queue);
}

bool QueueStore::writeJournal(const QStringList& queue) {
    QStringList lines = nonEmpty(queue);
    if (!m_owed.isEmpty())
        lines << kOwedMarker << m_owed;
    return LineFile::rewrite(file(kJournal), lines);
}

bool QueueStore::recordAccepted(const QString& entry) {
    m_owed << entry;
    return recordOwed();
}

bool QueueStore::recordOwed() {
    while (!m_owed.isEmpty()) {
        if (!LineFile::append(file(kAccepted), m_owed.first()))
            return false;
        m_owed.removeFirst();
    }
    return true;
}

bool QueueStore::carryOver(const QStringList& queue) {
    InboxLock lock(m_appPath);
    const QStringList entries = journalOnly() + nonEmpty(queue);
    if (!entries.isEmpty() && !LineFile::appendLines(file(kCarryOver), entries))
        return false; // the journal still holds them
    m_journal.clear();
    return saveJournal({});
}

// The journal's entries not yet taken, less those the carry-over file or the
// inbox still hold (a run that died before emptying them left them in both):
// those are taken from there by the next run.
QStringList QueueStore::journalOnly() const {
    if (m_journal.isEmpty())
        return {};
    QStringList inFiles = nonEmpty(LineFile::readAll(file(kCarryOver)));
    inFiles += LineFile::readAll(file(kInbox)).mid(1);
    QStringList out;
    for (const QString& line : m_journal) {
        const qsizetype at = inFiles.indexOf(line);
        if (at >= 0)
            inFiles.removeAt(at);
        else
            out << line;
    }
    return out;
}
