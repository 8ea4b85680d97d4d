#include "client/outbox/OperatorInbox.h"

#include "common/ExchangeFiles.h"

namespace OperatorInbox {

bool WriteToNOMInbox(const QString& appPath, int connectionType, const QString& operatorCode,
                     const QStringList& entries) {
    if (operatorCode != kCellnet || connectionType == 1 || connectionType == -1 ||
        entries.isEmpty())
        return true;
    return ExchangeFiles::appendToInbox(appPath, entries);
}

} // namespace OperatorInbox
