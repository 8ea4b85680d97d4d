#pragma once

#include <QString>

// Serial port n is the device named on line n of Config\ComPorts.cfg. A blank
// or missing line means the port has no device: it never opens, so nothing
// is ever dialled on a device nobody named.
namespace ComPorts {

// COM1 to COM8; lines after the last port are ignored.
inline constexpr int kPortCount = 8;
// No device path is longer; a longer line is damage and names no device
// (shown whole, it would stall the window that shows it).
inline constexpr int kMaxPathLength = 1024;

// A line "mm:<equipment identifier>" makes the port a mobile modem that
// ModemManager owns: it has no serial device of ours.
inline const QString kMobilePrefix = QStringLiteral("mm:");

// Empty when the port has no device, is a mobile modem, or n names no port.
QString devicePath(const QString& appPath, int portNumber);
// The equipment identifier (IMEI) of the mobile modem port n is; empty when
// it is none.
QString mobileModem(const QString& appPath, int portNumber);
// Names the mobile modem on the first blank line of 1 to `lastPort` unless a
// line already names it; the user's lines keep their places. The port that
// names it; 0 when those lines are full or the file cannot be read or written.
int nameMobileModem(const QString& appPath, const QString& equipmentId, int lastPort);

} // namespace ComPorts
