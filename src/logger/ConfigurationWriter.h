#pragma once

#include "logger/WriteResult.h"

namespace veltra {

struct Program;

// Writes editParams to the logger, in one session on its drive: first lets upgradeFirmware
// write the firmware instead when the logger needs it; otherwise removes OK.DAT, writes
// CONFIG.CFG, reads it back and compares it, and writes OK.DAT last. While an upgrade is
// pending nothing is written (HeldBack). Failures are shown to the user once the drive is let
// go; no OK.DAT is then left on the drive beside what was being written.
WriteResult writeConfiguration(Program& program);

}  // namespace veltra
