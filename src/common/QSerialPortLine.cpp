#include "common/QSerialPortLine.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cerrno>
#include <poll.h>
#include <unistd.h>

QSerialPortLine::QSerialPortLine() = default;

QSerialPortLine::~QSerialPortLine() {
    close();
}

bool QSerialPortLine::open(const QString& device, const LineSettings& settings) {
    if (m_port.isOpen())
        m_port.close();
    const QString canonical = QFileInfo(device).canonicalFilePath();
    const QString path = canonical.isEmpty() ? device : canonical;
    m_port.setPortName(path);
    m_openFailure = OpenFailure::None;
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_openFailure = failureOf(path, m_port.error());
        return false;
    }
    const bool configured =
        m_port.setBaudRate(settings.baud) &&
        m_port.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits)) &&
        m_port.setParity(QSerialPort::NoParity) && m_port.setStopBits(QSerialPort::OneStop) &&
        m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        m_port.close();
        m_openFailure = OpenFailure::Other;
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

SerialLine::OpenFailure QSerialPortLine::failureOf(const QString& path,
                                                   QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return OpenFailure::NoDevice;
    case QSerialPort::PermissionError:
        // The port's lock file, an exclusive open and the device's own mode
        // all report a permission error: only the mode says "not yours".
        if (::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0 && errno == EACCES)
            return OpenFailure::NotPermitted;
        return OpenFailure::InUse;
    default:
        return OpenFailure::Other;
    }
}
