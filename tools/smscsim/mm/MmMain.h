#pragma once

#include "SimOptions.h"

// Plays ModemManager with one modem on the bus the options name, until the
// lifetime ends or a signal stops it; the exit status.
int runModemManager(int argc, char** argv, const SimOptions& options);
