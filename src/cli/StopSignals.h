#pragma once

namespace veltra::cli {

// The commands that run until interrupted (simulate, watch) and those that wait for a logger
// (configure) end at their next step on Ctrl+C or SIGTERM, so that they leave the drive and
// their files as a finished step left them, and every logger written gets its record.
void catchStopSignals();
bool stopSignalled();
// The exit code of a run that was interrupted: 128 and the signal's number (130 for Ctrl+C,
// 143 for SIGTERM).
int interruptedExitCode();

}  // namespace veltra::cli
