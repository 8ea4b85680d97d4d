#include "client/outbox/OperatorInbox.h"

#include "common/ExchangeFiles.h"

namespace OperatorInbox {

bool WriteToNOMInbox(const QString& appPath, ConnectionType connection, const QString& operatorCode,
                     const QStringList& entries) {
    if (operatorCode != kCellnet || connection == ConnectionType::Internet ||
        connection == ConnectionType::InternetChosenNow || entries.isEmpty())
        return true;
    return ExchangeFiles::appendToInbox(appPath, entries);
}

} // namespace OperatorInbox
