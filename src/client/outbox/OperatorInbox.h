#pragma once

#include <QString>
#include <QStringList>

// Handing entries to the operator module by its inbox file.
namespace OperatorInbox {

// The one operator there is (Cellnet).
inline const QString kCellnet = QStringLiteral("CEL");

// Appends `entries` to the operator's inbox under the inbox lock, unless the
// connection is by Internet (1 or -1) or the operator is unknown. False only
// when a write was due and failed.
bool WriteToNOMInbox(const QString& appPath, int connectionType, const QString& operatorCode,
                     const QStringList& entries);

} // namespace OperatorInbox
