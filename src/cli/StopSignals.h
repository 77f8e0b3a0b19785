#pragma once

namespace veltra::cli {

// The commands that run until interrupted (simulate, watch) end at their next step on Ctrl+C or
// SIGTERM, so that they leave the drive and their files as a finished step left them.
void catchStopSignals();
bool stopSignalled();

}  // namespace veltra::cli
