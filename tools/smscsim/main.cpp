#include "SimOptions.h"
#include "SimServer.h"
#include "mm/MmMain.h"

#include <cstdio>

int main(int argc, char** argv) {
    SimOptions options;
    std::string error;
    if (!SimOptions::parse({argv + 1, argv + argc}, options, error)) {
        std::fprintf(stderr, "smscsim: %s\nTry 'smscsim --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(SimOptions::usage().c_str(), stdout);
        return 0;
    }
    if (options.modemManager)
        return runModemManager(argc, argv, options);
    return SimServer(options).run();
}
