#pragma once

#include <QString>

// Serial port n is the device named on line n of Config\ComPorts.cfg; a
// blank or missing line means the n-th standard port.
namespace ComPorts {

// Empty when n cannot name a port (zero or negative).
QString devicePath(const QString& appPath, int portNumber);

} // namespace ComPorts
