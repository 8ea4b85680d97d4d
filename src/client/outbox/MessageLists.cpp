#include "client/outbox/MessageLists.h"

#include "common/DeliveryReport.h"
#include "common/ExchangeFiles.h"
#include "common/InstallPath.h"
#include "common/LineFile.h"

namespace MessageLists {

bool isListed(const QString& line) {
    if (line.trimmed().isEmpty())
        return false;
    const qsizetype close = line.indexOf(']');
    // From the second character up to the first "]" (to the end when there is none).
    const QString id = close < 0 ? line.mid(1) : line.mid(1, close - 1);
    return id != "0";
}

QHash<QString, QString> deliveryNotes(const QString& appPath) {
    QHash<QString, QString> notes;
    for (const QString& line :
         LineFile::readAll(ExchangeFiles::path(appPath, ExchangeFiles::kDeliveryReports)))
        if (const auto report = DeliveryReport::parse(line))
            notes.insert(report->key,
                         report->delivered
                             ? " (delivered " + report->when.toString("dd/MM/yyyy HH:mm") + ')'
                             : QStringLiteral(" (not delivered)"));
    return notes;
}

bool clearFile(const QString& appPath, const QString& tag) {
    const QString path = InstallPath::resolve(appPath, tag);
    if (!LineFile::exists(path))
        return true;
    if (tag.compare(kFailedFile, Qt::CaseInsensitive) == 0) {
        ExchangeFiles::InboxLock lock(appPath);
        return LineFile::truncate(path);
    }
    return LineFile::truncate(path);
}

bool clearAll(const QString& appPath) {
    bool ok = true;
    for (const QString& tag : {kFailedFile, kAcceptedFile, kScheduledFile})
        ok = clearFile(appPath, tag) && ok;
    return ok;
}

} // namespace MessageLists
