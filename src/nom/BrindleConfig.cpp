#include "nom/BrindleConfig.h"

#include "common/AppPath.h"
#include "common/ExchangeFiles.h"
#include "common/LineFile.h"
#include "common/Setting.h"
#include "nom/StatusLog.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

const QString BrindleConfig::kEmptyConfig =
    QStringLiteral("Empty Configuration File : Brindlemod.cfg");

namespace {

constexpr int kConfigLines = 24;
// Refused settings lines reported one by one; the rest are counted.
constexpr qsizetype kRefusedLinesShown = 5;
// How much of a refused line its report shows.
constexpr qsizetype kShownLength = 80;

// A whole number as the timers compute with it: digits, blanks around allowed.
std::optional<qint64> wholeNumber(const QString& text, qint64 max) {
    static const QRegularExpression digits(QStringLiteral("^\\s*(\\d{1,15})\\s*$"));
    const auto m = digits.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const qint64 v = m.captured(1).toLongLong();
    if (v > max)
        return std::nullopt;
    return v;
}

// The decimal number a stored setting begins with (blanks, a sign, digits, a
// fraction; no number gives 0), rounded to the nearest whole number, halves
// away from zero.
qint16 settingNumber(const QString& text, qint16 outOfRange) {
    static const QRegularExpression number(QStringLiteral("^[ \\t]*([+-]?(\\d+\\.?\\d*|\\.\\d+))"));
    const auto m = number.match(text);
    const double v = m.hasMatch() ? std::round(m.captured(1).toDouble()) : 0.0;
    if (!(v >= std::numeric_limits<qint16>::min() && v <= std::numeric_limits<qint16>::max()))
        return outOfRange;
    return static_cast<qint16>(v);
}

struct TuningSetting {
    const char* name;
    int BrindleConfig::Tuning::*field;
    int min;
    int max;
};

const TuningSetting kTuningSettings[] = {
    {"FirstTickMs", &BrindleConfig::Tuning::firstTickMs, 0, BrindleConfig::Tuning::kMaxPauseMs},
    {"ResetPauseMs", &BrindleConfig::Tuning::resetPauseMs, 0, BrindleConfig::Tuning::kMaxPauseMs},
    {"LogonPauseMs", &BrindleConfig::Tuning::logonPauseMs, 0, BrindleConfig::Tuning::kMaxPauseMs},
    {"AcceptPauseMs", &BrindleConfig::Tuning::acceptPauseMs, 0, BrindleConfig::Tuning::kMaxPauseMs},
    {"RenewPauseBeforeMs", &BrindleConfig::Tuning::renewPauseBeforeMs, 0,
     BrindleConfig::Tuning::kMaxPauseMs},
    {"RenewPauseAfterMs", &BrindleConfig::Tuning::renewPauseAfterMs, 0,
     BrindleConfig::Tuning::kMaxPauseMs},
    {"MessagesPerLogon", &BrindleConfig::Tuning::messagesPerLogon, 1,
     BrindleConfig::Tuning::kMaxMessagesPerLogon},
    {"DeliveryReports", &BrindleConfig::Tuning::deliveryReports, 0, 1},
    {"ReportWaitSeconds", &BrindleConfig::Tuning::reportWaitSeconds, 0,
     BrindleConfig::Tuning::kMaxReportWaitSeconds},
};

} // namespace

QString BrindleConfig::resolveAppPath(const QString& programDir, const QString& currentDir) {
    const QString stored = AppPath(programDir, currentDir).read();
    if (!stored.isEmpty())
        return stored;
    return AppPath::withSeparator(
        AppPath::installation(QDir::cleanPath(programDir + QStringLiteral("/../../.."))));
}

void BrindleConfig::readPortFile() {
    portText = LineFile::readLast(ExchangeFiles::path(appPath, ExchangeFiles::kPortFile));
}

void BrindleConfig::readOutsideLine() {
    outsideLinePrefix = settingNumber(Setting::readOrStoreDefault(Setting::OutDial), -1);
    outsideLineOption = settingNumber(Setting::readOrStoreDefault(Setting::OutDialOption), 0);
}

QString BrindleConfig::dialString() const {
    if (outsideLineOption != 1 || outsideLinePrefix == -1)
        return smscNumber;
    return QString::number(outsideLinePrefix) + ',' + smscNumber;
}

QString BrindleConfig::lineSettingsText() const {
    return lineSpeed + QStringLiteral(",N,") + dataBits + QStringLiteral(",1");
}

std::optional<LineSettings> BrindleConfig::lineSettings() const {
    const auto baud = wholeNumber(lineSpeed, std::numeric_limits<qint32>::max());
    const auto bits = wholeNumber(dataBits, 8);
    if (!baud || *baud == 0 || !bits || *bits < 5)
        return std::nullopt;
    return LineSettings{static_cast<qint32>(*baud), static_cast<int>(*bits)};
}

void BrindleConfig::ReadConfigFile(StatusLog& status) {
    m_problems.clear();
    linesRead = 0;
    QString problem;
    const QStringList lines = ExchangeFiles::readConfig(appPath, problem);
    if (!problem.isEmpty()) {
        m_problems << problem;
        return;
    }
    for (const QString& line : lines) {
        ++linesRead;
        switch (linesRead) {
        case 2:
            smscNumber = line;
            break;
        case 4:
            sqlId = line;
            break;
        case 6:
            maxQueueSend = line;
            break;
        case 8:
            userName = line;
            break;
        case 10:
            password = line;
            break;
        case 12:
            smscLogPath = line.isEmpty() ? QString() : ExchangeFiles::path(appPath, line);
            break;
        case 16:
            lineSpeed = line;
            break;
        case 18:
            dataBits = line;
            break;
        case 20:
            parity = line;
            break;
        case 22:
            retriesText = line;
            break;
        case 24:
            pingBaseText = line;
            break;
        default:
            break;
        }
    }

    if (linesRead < 5) {
        m_problems << kEmptyConfig;
        return;
    }
    status.setSmscLog(smscLogPath);
    status.DisplayStatus(QStringLiteral("******* Loading Brindlemod Config ********"));
    status.DisplayStatus(QStringLiteral("SMSC Number : ") + smscNumber);
    status.DisplayStatus(QStringLiteral("SMSC SQL Id : ") + sqlId);
    status.DisplayStatus(QStringLiteral("SMSC MaxQueueSend : ") + maxQueueSend);
    status.DisplayStatus(QStringLiteral("SMSC Username : ") + userName);
    // The password never reaches a log.
    status.DisplayStatus(QStringLiteral("SMSC Password : ") + QString(8, QLatin1Char('*')));
    status.DisplayStatus(QStringLiteral("SMSC Logfile : ") + smscLogPath);
    status.DisplayStatus(QStringLiteral("SMSC Port : ") + portText);
    status.DisplayStatus(QStringLiteral("SMSC Speed : ") + lineSpeed);
    status.DisplayStatus(QStringLiteral("SMSC Bits : ") + dataBits);
    status.DisplayStatus(QStringLiteral("SMSC Parity : ") + parity);
    status.DisplayStatus(QStringLiteral("SMSC Retries : ") + retriesText);

    if (linesRead < kConfigLines) {
        m_problems << QStringLiteral(
                          "Incomplete Configuration File : Brindlemod.cfg (%1 of %2 lines)")
                          .arg(linesRead)
                          .arg(kConfigLines);
        return;
    }
    if (smscLogPath.isEmpty())
        m_problems << QStringLiteral("No SMSC Logfile in Configuration File : Brindlemod.cfg");
    if (const auto r = wholeNumber(retriesText, std::numeric_limits<qint16>::max()))
        retries = static_cast<qint16>(*r);
    else
        m_problems << QStringLiteral("SMSC Retries is not a whole number : ") + retriesText;
    if (const auto p = wholeNumber(pingBaseText, qint64(1) << 40))
        pingBase = *p;
    else
        m_problems << QStringLiteral("SMSC Ping Base is not a whole number : ") + pingBaseText;
    readTuning(lines.mid(kConfigLines), status);
}

// Every setting taken is said in the log as "SMSC Name : value", the first
// refused lines with their number and the value that stands instead, and
// the rest by their count: junk must not flood the log or delay the start.
void BrindleConfig::readTuning(const QStringList& lines, StatusLog& status) {
    tuning = Tuning();
    qsizetype refused = 0;
    const auto refuse = [&](const QString& text) {
        if (++refused <= kRefusedLinesShown)
            status.DisplayStatus(text);
    };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#') || line.startsWith(';'))
            continue;
        const QString where = QStringLiteral("Brindle.cfg line %1 : %2 : ")
                                  .arg(kConfigLines + 1 + i)
                                  .arg(StatusLog::visible(line.left(kShownLength)));
        const QString name = line.section('=', 0, 0).trimmed();
        const auto known = std::find_if(
            std::begin(kTuningSettings), std::end(kTuningSettings),
            [&](const TuningSetting& t) { return name.compare(t.name, Qt::CaseInsensitive) == 0; });
        if (!line.contains('=') || known == std::end(kTuningSettings)) {
            refuse(where + QStringLiteral("unknown setting, ignored"));
            continue;
        }
        int& field = tuning.*(known->field);
        const auto value = wholeNumber(line.section('=', 1), known->max);
        if (!value || *value < known->min) {
            refuse(where + QStringLiteral("not a whole number from %1 to %2, %3 stands")
                               .arg(known->min)
                               .arg(known->max)
                               .arg(field));
            continue;
        }
        field = static_cast<int>(*value);
        status.DisplayStatus(QStringLiteral("SMSC %1 : %2").arg(known->name).arg(field));
    }
    if (refused > kRefusedLinesShown)
        status.DisplayStatus(QStringLiteral("Brindle.cfg : %1 more lines after line %2 ignored")
                                 .arg(refused - kRefusedLinesShown)
                                 .arg(kConfigLines));
}
