#pragma once

#include <QStringList>

class AcceptedIndex;

namespace AcceptedMarking {

inline const QString kProcessing = QStringLiteral("Processing::");
inline const QString kAccepted = QStringLiteral("Accepted::");

// Marks "Accepted::" every outbox entry whose bracketed id the operator
// module reported accepted ("Processing::" is replaced). Returns the indexes
// of the entries it changed.
QList<int> markAccepted(QStringList& outbox, const AcceptedIndex& accepted);

} // namespace AcceptedMarking
