#pragma once

#include "common/ExchangeFiles.h"

#include <QHash>
#include <QString>
#include <QStringList>

// The three views of where messages went: accepted, failed and scheduled.
namespace MessageLists {

inline const QString kAcceptedCaption = QStringLiteral("Accepted Messages");
inline const QString kFailedCaption = QStringLiteral("Failed Messages");
inline const QString kScheduledCaption = QStringLiteral("Scheduled Message Queue");
inline const QString kAcceptedFile = QStringLiteral("Config\\AccpMsgs.dat");
inline const QString kFailedFile = ExchangeFiles::kCarryOver;
inline const QString kScheduledFile = QStringLiteral("Config\\ScdMsgs.rcv");
inline const QString kScheduledTag = QStringLiteral("Q");

// A file line worth listing: not blank, and its bracketed id is not "0".
bool isListed(const QString& line);

// What the accepted view adds to an entry a mobile network reported on, by
// the entry's key: " (delivered dd/mm/yyyy hh:mm)" or " (not delivered)".
QHash<QString, QString> deliveryNotes(const QString& appPath);

// Empties the file a view shows (the failed list under the inbox lock, since
// the operator module reads and empties it too).
bool clearFile(const QString& appPath, const QString& tag);
// Empties all three files ("Clear All" of the failed view).
bool clearAll(const QString& appPath);

} // namespace MessageLists
