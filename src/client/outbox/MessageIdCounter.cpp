#include "client/outbox/MessageIdCounter.h"

#include "client/outbox/MessageLists.h"
#include "client/outbox/OutboxEntry.h"
#include "common/ExchangeFiles.h"
#include "common/FileLocks.h"
#include "common/InstallPath.h"
#include "common/Installation.h"
#include "common/LineFile.h"

#include <algorithm>

namespace {

// Every file an id can be found in once it has been used.
const QStringList kFilesWithIds = {
    ExchangeFiles::kAccepted,    ExchangeFiles::kInbox,        ExchangeFiles::kCarryOver,
    MessageLists::kAcceptedFile, MessageLists::kScheduledFile,
};

qint64 highestIn(const QStringList& entries, qint64 highest) {
    for (const QString& e : entries)
        if (const auto id = OutboxEntry::id(e))
            highest = std::max(highest, *id);
    return highest;
}

} // namespace

MessageIdCounter::MessageIdCounter(const Installation& installation,
                                   std::function<QStringList()> listedEntries)
    : m_installation(installation), m_listedEntries(std::move(listedEntries)) {}

qint64 MessageIdCounter::highestIdInUse() const {
    qint64 highest = 0;
    for (const QString& rel : kFilesWithIds)
        highest = highestIn(LineFile::readAll(m_installation.file(rel)), highest);
    if (m_listedEntries)
        highest = highestIn(m_listedEntries(), highest);
    return highest;
}

qint64 MessageIdCounter::next() const {
    const QString file = m_installation.file(fileName());
    if (const auto id = OutboxEntry::parseId(LineFile::readLast(file)))
        return *id;
    return highestIdInUse() + 1;
}

std::optional<qint64> MessageIdCounter::reserve(int count) {
    // The client and quorvel-send reserve from the same file: read and
    // rewrite as one step, or both could hand out the same ids.
    const FileLocks::FileLock lock(m_installation.file(FileLocks::kMessageIdLock),
                                   FileLocks::FileLock::Mode::Wait);
    if (!lock.held())
        return std::nullopt;
    const qint64 first = next();
    const QString file = m_installation.file(fileName());
    if (!LineFile::rewrite(file, {QString::number(first + std::max(count, 0))}))
        return std::nullopt;
    return first;
}
