#include "cli/StopSignals.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t signalled = 0;

extern "C" void onStopSignal(int) {
    signalled = 1;
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

}  // namespace veltra::cli
