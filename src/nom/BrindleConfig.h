#pragma once

#include "common/SerialLine.h"

#include <QString>
#include <QStringList>
#include <optional>

class StatusLog;

// Brindle's settings, read once at start: the installation folder, the port
// file, the outside-line values of the settings store and the positional
// Brindle.cfg (the meaning of a line is its number alone).
class BrindleConfig {
public:
    static const QString kEmptyConfig;

    // The optional settings of the lines after the 24th, "Name=value": the
    // pauses in milliseconds, the messages per log-on and, for a mobile
    // modem, delivery reports (asked for or not, and how long to wait for
    // them once the queue is empty). Each one absent or refused keeps the
    // value below.
    struct Tuning {
        static constexpr int kMaxPauseMs = 60000;
        static constexpr int kMaxMessagesPerLogon = 4;
        static constexpr int kMaxReportWaitSeconds = 3600;
        int firstTickMs = 2000;
        int resetPauseMs = 5000;
        int logonPauseMs = 1000;
        int acceptPauseMs = 1000;
        int renewPauseBeforeMs = 2000;
        int renewPauseAfterMs = 3000;
        int messagesPerLogon = 4;
        int deliveryReports = 0;
        int reportWaitSeconds = 0;
        bool operator==(const Tuning&) const = default;
    };

    // The last line of AppPath.cfg in the current folder; without one, the
    // folder that holds NOM (three levels above the program).
    static QString resolveAppPath(const QString& programDir, const QString& currentDir);

    void readPortFile();
    // Stores "-1" and "0" where the values cannot be read, then reads them again.
    void readOutsideLine();
    void ReadConfigFile(StatusLog& status);
    // The dial string: the outside-line prefix and a pause before the number
    // when the option is on; a prefix of -1 dials none.
    QString dialString() const;
    // The line as the modem is driven: the configured speed and data bits, no
    // parity and one stop bit, whatever the parity line says.
    QString lineSettingsText() const;
    // Nothing when the speed or the data bits cannot drive a port.
    std::optional<LineSettings> lineSettings() const;

    // Why the configuration cannot drive a run; empty when it can.
    QStringList problems() const { return m_problems; }

    QString appPath;
    QString portText;
    QString smscNumber;
    QString sqlId;
    QString maxQueueSend;
    QString userName;
    QString password;
    QString smscLogPath;
    QString lineSpeed;
    QString dataBits;
    QString parity;
    QString retriesText;
    QString pingBaseText;
    qint16 retries = 0;
    qint64 pingBase = 0;
    qint16 outsideLinePrefix = -1;
    qint16 outsideLineOption = 0;
    int linesRead = 0;
    Tuning tuning;

private:
    void readTuning(const QStringList& lines, StatusLog& status);

    QStringList m_problems;
};
