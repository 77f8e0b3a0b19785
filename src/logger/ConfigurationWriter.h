#pragma once

namespace veltra {

struct Program;

// Writes editParams to the logger as CONFIG.CFG, reads the file back and compares it, then
// writes OK.DAT. First lets upgradeFirmware decide whether the firmware must be upgraded;
// while an upgrade is pending nothing is written and the answer is true. A failure is shown
// to the user and answered false; OK.DAT is then not written.
bool writeConfiguration(Program& program);

}  // namespace veltra
