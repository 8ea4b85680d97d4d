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
    bool close() override;
    bool isOpen() const override;
    void write(const QByteArray& bytes) override;
    QByteArray takeAvailable() override;
    bool waitForInput(qint64 ms) override;

private:
    bool closeIfGone();

    QSerialPort m_port;
};
