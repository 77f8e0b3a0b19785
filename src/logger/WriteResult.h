#pragma once

#include <cstdint>

namespace veltra {

// What a configure request came to. The writers answer it, the poll cycle records it, and the
// command line's exit code and messages follow from it.
enum class WriteResult : std::uint8_t {
    None,                      // no request yet
    Refused,                   // the settings failed the checks: nothing written
    Written,                   // CONFIG.CFG written and verified, then OK.DAT
    UpgradeStarted,            // APP.BIN and its CONFIG.CFG written and verified, then OK.DAT
    HeldBack,                  // an upgrade is pending: nothing written
    UpgradeFailedThenWritten,  // the firmware could not be written; the settings were
    WriteFailed,               // nothing was completed: no OK.DAT was left for it
    DriveBusy,                 // another program kept the drive locked: nothing written
    UpgradeNotTaken,           // the logger came back still needing the upgrade: not repeated
};

// Whether the writer answers success to its caller (the button keeps its text).
inline bool succeeded(WriteResult result) {
    return result == WriteResult::Written || result == WriteResult::UpgradeStarted ||
           result == WriteResult::HeldBack || result == WriteResult::UpgradeFailedThenWritten;
}

}  // namespace veltra
