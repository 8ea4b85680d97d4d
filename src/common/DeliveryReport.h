#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// What a mobile network reported of a message Brindle sent, as one line of
// Brindle.dlv: "[12] delivered 07/12/2026 18:55:01" or "[12] failed …". The
// file is only appended to; a later line for the same id stands.
namespace DeliveryReport {

struct Report {
    QString key; // "[12]", as entries are matched
    bool delivered;
    QDateTime when;
};

QString line(qint64 id, bool delivered, const QDateTime& when);
// Nothing for a line that is not one (a half-written last line, say).
std::optional<Report> parse(const QString& line);

} // namespace DeliveryReport
