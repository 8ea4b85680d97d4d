#include "common/QSerialPortLine.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <poll.h>

QSerialPortLine::QSerialPortLine() = default;

QSerialPortLine::~QSerialPortLine() {
    close();
}

bool QSerialPortLine::open(const QString& device, const LineSettings& settings) {
    if (m_port.isOpen())
        m_port.close();
    const QString canonical = QFileInfo(device).canonicalFilePath();
    m_port.setPortName(canonical.isEmpty() ? device : canonical);
    if (!m_port.open(QIODevice::ReadWrite))
        return false;
    const bool configured =
        m_port.setBaudRate(settings.baud) &&
        m_port.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits)) &&
        m_port.setParity(QSerialPort::NoParity) && m_port.setStopBits(QSerialPort::OneStop) &&
        m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        m_port.close();
        return false;
    }
    // A raised DTR tells the modem a terminal is there; dropping it on close
    // hangs up. A pseudo-terminal has no modem lines: that failure is no fault.
    m_port.setDataTerminalReady(true);
    m_port.clearError();
    return true;
}

bool QSerialPortLine::close() {
    if (!m_port.isOpen())
        return true;
    m_port.waitForBytesWritten(2000);
    m_port.clearError();
    m_port.close();
    return m_port.error() == QSerialPort::NoError;
}

bool QSerialPortLine::isOpen() const {
    return m_port.isOpen();
}

void QSerialPortLine::write(const QByteArray& bytes) {
    if (!m_port.isOpen())
        return;
    m_port.write(bytes);
    // Hand the bytes to the driver now rather than at the next event.
    m_port.flush();
}

QByteArray QSerialPortLine::takeAvailable() {
    if (!m_port.isOpen())
        return QByteArray();
    return m_port.readAll();
}

bool QSerialPortLine::waitForInput(qint64 ms) {
    if (m_port.isOpen() && m_port.bytesAvailable() > 0) {
        QCoreApplication::processEvents();
        return true;
    }
    if (closeIfGone())
        return false;
    // Sleep in the kernel until a byte, an error or the time-out; timers and
    // window events are served meanwhile.
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&m_port, &QSerialPort::readyRead, &loop, &QEventLoop::quit);
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &loop, &QEventLoop::quit);
    timeout.start(static_cast<int>(qMax<qint64>(ms, 0)));
    loop.exec();
    if (m_port.isOpen() && m_port.bytesAvailable() > 0)
        return true;
    closeIfGone();
    return false;
}

bool QSerialPortLine::closeIfGone() {
    if (!m_port.isOpen())
        return false;
    // A hung-up line reads as end of file for ever, and the port would wake
    // every wait at once: once the other end has gone, the port is closed.
    pollfd p{static_cast<int>(m_port.handle()), POLLIN, 0};
    const bool hungUp = ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
    if (!hungUp && m_port.error() != QSerialPort::ResourceError) {
        m_port.clearError();
        return false;
    }
    m_port.close();
    m_port.clearError();
    return true;
}
