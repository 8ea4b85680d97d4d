#pragma once

#include <QByteArray>
#include <QString>

// Line settings as the modem is driven: speed and data bits; parity is always
// none and there is always one stop bit.
struct LineSettings {
    qint32 baud = 9600;
    int dataBits = 8;
};

// The serial line the modem hangs on. The program drives a real port; tests
// drive a scripted fake. All input is taken by polling, with a blocking wait
// that keeps timers and window events running.
class SerialLine {
public:
    // Why the last open failed.
    enum class OpenFailure {
        None,
        NoDevice,
        // Another program holds the port.
        InUse,
        // The device is there, but the user may not open it.
        NotPermitted,
        Other,
    };

    virtual ~SerialLine() = default;

    virtual bool open(const QString& device, const LineSettings& settings) = 0;
    virtual OpenFailure openFailure() const { return OpenFailure::Other; }
    // False when closing failed.
    virtual bool close() = 0;
    // A line whose other end hangs up, or whose device goes away, closes
    // itself: the call is over, and the next open starts afresh.
    virtual bool isOpen() const = 0;
    virtual void write(const QByteArray& bytes) = 0;
    // Everything received so far, removed from the line; possibly nothing.
    virtual QByteArray takeAvailable() = 0;
    // Returns once input is waiting or `ms` have passed, running events meanwhile.
    virtual bool waitForInput(qint64 ms) = 0;
};
