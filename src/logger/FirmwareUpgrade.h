#pragma once

#include <cstdint>

namespace veltra {

class DriveSession;

// Whether the carried firmware is meant for a logger with this firmware: versions 32 to 35,
// and 36 to 47 below revision 2.
bool needsFirmwareUpgrade(std::uint8_t firmwareVersion, std::uint8_t firmwareRevision);

// How far upgradeFirmware got.
enum class UpgradeProgress {
    NothingWritten,  // OK.DAT could not be removed, or APP.BIN not opened
    Interrupted,     // APP.BIN was opened, but a later step failed
    Written,         // APP.BIN, its CONFIG.CFG and OK.DAT written and verified
};

// For a logger that needs it: removes OK.DAT, writes APP.BIN and the upgrade CONFIG.CFG, each
// read back and compared, then OK.DAT.
UpgradeProgress upgradeFirmware(DriveSession& drive, std::uint8_t firmwareVersion);

}  // namespace veltra
