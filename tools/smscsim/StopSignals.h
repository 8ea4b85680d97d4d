#pragma once

#include <csignal>
#include <sys/signalfd.h>

// SIGINT, SIGTERM and SIGHUP end a run: blocked, and read from the returned
// descriptor (-1 when it cannot be made) by whatever loop the run has.
inline int stopSignals() {
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGHUP);
    ::sigprocmask(SIG_BLOCK, &stop, nullptr);
    return ::signalfd(-1, &stop, SFD_NONBLOCK | SFD_CLOEXEC);
}
