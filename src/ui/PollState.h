#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/DriveFiles.h"
#include "logger/WriteResult.h"
#include "settings/LoggerParameters.h"
#include "ui/SettingComparison.h"

namespace veltra {

// The poll timer's period.
inline constexpr int PollPeriodMs = 100;
inline constexpr int TicksPerSecond = 1000 / PollPeriodMs;

// Ticks counted down while an upgraded logger is away, for the caption only: nothing happens
// when the count runs out.
inline constexpr std::uint8_t UpgradeCountdownTicks = 150;

// The poll cycle's flags and counters; all zero when the program starts.
struct PollState {
    std::uint8_t initialised = 0;
    char LoggerDrive = 0;  // drive letter of the logger, 0 for none
    std::uint32_t tickCount = 0;
    std::uint8_t imageLoaded = 0;
    std::uint32_t lastDeviceSerial = 0;
    std::uint8_t upgradePending = 0;
    std::uint8_t upgradeCountdown = 0;
    // The filesystem from which the last accepted DAT.SRC was read: the only one written to.
    DriveIdentity imageDrive;
    // What the last configure request, or the configuration after an upgrade, came to.
    WriteResult lastWrite = WriteResult::None;
    // The settings last written, until the logger they went to (`writtenSerial`) comes back
    // from taking them and reports its own.
    std::optional<LoggerParameters> writtenSettings;
    std::uint32_t writtenSerial = 0;
    // What that logger reported otherwise than written when it came back (empty: it took
    // them all); nothing while none has come back since the last write.
    std::optional<std::vector<SettingDifference>> returnDifferences;
    // Why that write failed, when the drive told; for the command line's message.
    std::string lastWriteReason;
};

}  // namespace veltra
