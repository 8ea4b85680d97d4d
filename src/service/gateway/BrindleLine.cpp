#include "gateway/BrindleLine.h"

#include "common/AppPath.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString appPathOf(const std::string& dir) {
    return AppPath::withSeparator(QFileInfo(QString::fromStdString(dir)).absoluteFilePath());
}

class HeldStart : public Line::Hold {
public:
    explicit HeldStart(LineHandOver::StartLock lock) : m_lock(std::move(lock)) {}

private:
    LineHandOver::StartLock m_lock;
};

std::set<long long> ids(const QSet<QString>& keys) {
    std::set<long long> out;
    for (const QString& key : keys) {
        bool ok = false;
        const long long id = key.mid(1, key.size() - 2).toLongLong(&ok);
        if (ok)
            out.insert(id);
    }
    return out;
}

} // namespace

BrindleLine::BrindleLine(const std::string& dir)
    : m_name(dir), m_handOver(appPathOf(dir), m_launcher) {
    // What a Brindle that ends at once said, for the line's last error.
    if (m_brindleErrors.open())
        m_launcher.keepErrorsIn(m_brindleErrors.fileName());
}

std::string BrindleLine::problem() const {
    const QString shown = QDir::toNativeSeparators(m_handOver.appPath());
    if (!m_handOver.isInstallation())
        return "no Quorvel installation in " + shown.toStdString();
    if (!m_handOver.portConfigured())
        return "no serial port is configured for the modem in " + shown.toStdString();
    return {};
}

std::unique_ptr<Line::Hold> BrindleLine::holdStart() {
    LineHandOver::StartLock lock = m_handOver.lockStart();
    if (!lock.held())
        return nullptr;
    return std::make_unique<HeldStart>(std::move(lock));
}

std::optional<long long> BrindleLine::reserveIds(int count) {
    const auto first = m_handOver.reserveIds(count);
    return first ? std::optional<long long>(*first) : std::nullopt;
}

std::string BrindleLine::entry(long long id, const std::string& received, const std::string& number,
                               const std::string& text) {
    const QDateTime when = QDateTime::fromString(QString::fromStdString(received),
                                                 QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return LineHandOver::entry(id, when, QString::fromStdString(number),
                               QString::fromStdString(text))
        .toStdString();
}

bool BrindleLine::append(const std::vector<std::string>& entries) {
    QStringList lines;
    for (const std::string& e : entries)
        lines << QString::fromStdString(e);
    return m_handOver.append(lines);
}

bool BrindleLine::startRun(std::string& problem) {
    QString why;
    if (m_handOver.startRunLocked(&why) == LineHandOver::Start::Running)
        return true;
    problem = why.toStdString();
    return false;
}

Line::Seen BrindleLine::look() {
    const LineHandOver::Seen seen = m_handOver.look();
    return {ids(seen.accepted), ids(seen.carried), ids(seen.queued)};
}

bool BrindleLine::removeCarried(const std::set<long long>& entryIds) {
    QSet<QString> keys;
    for (long long id : entryIds)
        keys.insert('[' + QString::number(id) + ']');
    return m_handOver.removeCarried(keys);
}
