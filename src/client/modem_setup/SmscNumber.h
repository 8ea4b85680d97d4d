#pragma once

#include "common/Notice.h"

#include <QString>

// The SMSC number the client's modem test dials: line 2 of Brindle's own
// configuration file, which both programs read and neither writes.
namespace SmscNumber {

struct Read {
    // Line 2 as it stands, untrimmed; empty when it is blank or missing.
    QString number;
    // False when line 2 is blank or missing.
    bool found = false;
};

// A file too short to hold the number, or one that cannot be read, comes
// with a notice ("Empty Configuration File : Brindlemod.cfg"), and the
// number is then empty.
WithNotice<Read> ReadConfigFile(const QString& appPath);

} // namespace SmscNumber
