#pragma once

#include <cstdint>

namespace veltra {

struct Program;
class DriveSession;

// Whether the carried firmware is meant for a logger with this firmware: versions 32 to 35,
// and 36 to 47 below revision 2.
bool needsFirmwareUpgrade(std::uint8_t firmwareVersion, std::uint8_t firmwareRevision);

// For a logger that needs it: removes OK.DAT, writes APP.BIN and the upgrade CONFIG.CFG, each
// read back and compared, then OK.DAT, and marks the upgrade pending. True when all of that
// was done; otherwise the failure is shown to the user and the mark stays clear.
bool upgradeFirmware(Program& program, DriveSession& drive);

// Tells the user that the upgrade failed.
void showUpgradeFailed(Program& program);

}  // namespace veltra
