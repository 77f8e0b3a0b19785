#pragma once

#include <cstdint>

namespace veltra {

struct Program;

// Whether the carried firmware is meant for a logger with this firmware: versions 32 to 35,
// and 36 to 47 below revision 2.
bool needsFirmwareUpgrade(std::uint8_t firmwareVersion, std::uint8_t firmwareRevision);

// When the logger needs it and no upgrade is pending yet, writes APP.BIN, the upgrade
// CONFIG.CFG and OK.DAT and marks the upgrade pending. A failure is shown to the user and
// leaves the mark clear.
void upgradeFirmware(Program& program);

}  // namespace veltra
