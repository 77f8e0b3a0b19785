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
// was done; otherwise the mark stays clear and the caller tells the user.
bool upgradeFirmware(Program& program, DriveSession& drive);

}  // namespace veltra
