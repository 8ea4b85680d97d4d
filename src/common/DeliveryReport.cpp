#include "common/DeliveryReport.h"

#include <QRegularExpression>

namespace DeliveryReport {

namespace {
const QString kFormat = QStringLiteral("dd/MM/yyyy HH:mm:ss");
} // namespace

QString line(qint64 id, bool delivered, const QDateTime& when) {
    return QStringLiteral("[%1] %2 %3")
        .arg(id)
        .arg(delivered ? QStringLiteral("delivered") : QStringLiteral("failed"),
             when.toString(kFormat));
}

std::optional<Report> parse(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^(\\[[1-9][0-9]{0,17}\\]) (delivered|failed) "
                       "([0-9]{2}/[0-9]{2}/[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2})$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDateTime when = QDateTime::fromString(m.captured(3), kFormat);
    if (!when.isValid())
        return std::nullopt;
    return Report{m.captured(1), m.captured(2) == QLatin1String("delivered"), when};
}

} // namespace DeliveryReport
