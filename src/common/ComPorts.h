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

// Empty when the port has no device or n names no port.
QString devicePath(const QString& appPath, int portNumber);

} // namespace ComPorts
