#pragma once

#include <QStringList>

class AcceptedIndex;

namespace AcceptedMarking {

// Marks "Accepted::" every outbox entry whose bracketed id the operator
// module reported accepted ("Processing::" is replaced). Returns the indexes
// of the entries it changed.
QList<int> markAccepted(QStringList& outbox, const AcceptedIndex& accepted);

} // namespace AcceptedMarking
