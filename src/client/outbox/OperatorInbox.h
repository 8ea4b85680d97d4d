#pragma once

#include "client/settings/ClientSettings.h"

#include <QString>
#include <QStringList>

// Handing entries to the operator module by its inbox file.
namespace OperatorInbox {

// Told when entries could not be handed to the inbox.
inline const QString kInboxNotWritten =
    QStringLiteral("Some messages could not be written to the operator module's inbox and will "
                   "not be sent by modem.");

// The one operator there is (Cellnet).
inline const QString kCellnet = QStringLiteral("CEL");

// Appends `entries` to the operator's inbox under the inbox lock, unless the
// connection is by Internet or the operator is unknown. False only
// when a write was due and failed.
bool WriteToNOMInbox(const QString& appPath, ConnectionType connection, const QString& operatorCode,
                     const QStringList& entries);

} // namespace OperatorInbox
