#include "client/outbox/AcceptedMarking.h"

#include "client/outbox/AcceptedIndex.h"
#include "client/outbox/OutboxEntry.h"

namespace AcceptedMarking {

QList<int> markAccepted(QStringList& outbox, const AcceptedIndex& accepted) {
    QList<int> changed;
    for (int i = 0; i < outbox.size(); ++i) {
        QString& entry = outbox[i];
        // The status stands only at the start: the text may hold "Accepted::" too.
        if (entry.startsWith("Accepted"))
            continue;
        const QString key = AcceptedIndex::entryKey(entry);
        if (key.isEmpty() || !accepted.contains(key))
            continue;
        if (entry.startsWith(OutboxEntry::kProcessing))
            entry = OutboxEntry::kAccepted + entry.mid(OutboxEntry::kProcessing.size());
        else
            entry = OutboxEntry::kAccepted + entry;
        changed << i;
    }
    return changed;
}

} // namespace AcceptedMarking
