#include "cli/StopSignals.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t signalled = 0;

extern "C" void onStopSignal(int signal) {
    signalled = signal;
}

}  // namespace

namespace veltra::cli {

void catchStopSignals() {
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
}

bool stopSignalled() {
    return signalled != 0;
}

int interruptedExitCode() {
    return 128 + (signalled != 0 ? static_cast<int>(signalled) : SIGINT);
}

}  // namespace veltra::cli
