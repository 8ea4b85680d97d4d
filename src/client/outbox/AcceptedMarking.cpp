#include "client/outbox/AcceptedMarking.h"

#include "client/outbox/AcceptedIndex.h"

namespace AcceptedMarking {

QList<int> markAccepted(QStringList& outbox, const AcceptedIndex& accepted) {
    QList<int> changed;
    for (int i = 0; i < outbox.size(); ++i) {
        QString& entry = outbox[i];
        if (entry.startsWith("Accepted") || entry.contains(kAccepted))
            continue;
        const QString key = AcceptedIndex::entryKey(entry);
        if (key.isEmpty() || !accepted.contains(key))
            continue;
        if (entry.startsWith(kProcessing))
            entry = kAccepted + entry.mid(kProcessing.size());
        else
            entry = kAccepted + entry;
        changed << i;
    }
    return changed;
}

} // namespace AcceptedMarking
