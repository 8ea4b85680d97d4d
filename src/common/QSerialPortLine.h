#pragma once

#include "common/SerialLine.h"

#include <QSerialPort>

// The program's serial line: a QSerialPort opened by its canonical path, so
// the lock file it takes matches the one the client's modem test takes.
class QSerialPortLine : public SerialLine {
public:
    QSerialPortLine();
    ~QSerialPortLine() override;

    bool open(const QString& device, const LineSettings& settings) override;
    OpenFailure openFailure() const override { return m_openFailure; }
    bool close() override;
    bool isOpen() const override;
    void write(const QByteArray& bytes) override;
    QByteArray takeAvailable() override;
    bool waitForInput(qint64 ms) override;

private:
    bool closeIfGone();
    static OpenFailure failureOf(const QString& path, QSerialPort::SerialPortError error);

    QSerialPort m_port;
    OpenFailure m_openFailure = OpenFailure::None;
};
