#pragma once

#include <string>

#include "core/DriveFiles.h"
#include "logger/DeviceInfo.h"
#include "logger/WriteResult.h"
#include "settings/LoggerParameters.h"

namespace veltra {

// Where the settings go: the logger's drive letter, and the filesystem from which its DAT.SRC
// was read, the only one that is written to.
struct WriteTarget {
    char letter = 0;
    DriveIdentity imageDrive;
};

// What writeConfiguration did, for the caller to show.
struct WriteOutcome {
    WriteResult result = WriteResult::None;
    // The logger needed the carried firmware and did not get it.
    bool upgradeFailed = false;
    // APP.BIN was opened: the upgrade had begun, whether or not it was completed.
    bool firmwareOpened = false;
    // Why the write or the upgrade failed, when the drive told ("the drive is full").
    std::string reason;
};

// Writes the settings to the logger, in one session on its drive: first lets upgradeFirmware
// write the firmware instead when the logger needs it; otherwise removes OK.DAT, writes
// CONFIG.CFG, reads it back and compares it, and writes OK.DAT last. The drive is let go
// before this returns, and no OK.DAT is left beside what was being written; after a failure
// the files that this write made are removed again.
WriteOutcome writeConfiguration(DriveFiles& drive, const WriteTarget& target,
                                const LoggerParameters& params, const DeviceInfo& info);

}  // namespace veltra
