#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "settings/LoggerParameters.h"

namespace veltra {

// One framed record of CONFIG.CFG: 0x55, length, kind, tag, data, checksum.
struct CfgRecord {
    static constexpr std::uint8_t StartByte = 0x55;
    static constexpr std::size_t FrameBytes = 5;  // start, length, kind, tag, checksum
    static constexpr std::size_t MaxData = 250;

    std::uint8_t kind = 0;
    std::uint8_t tag = 0;
    std::vector<std::uint8_t> data;
};

// Tags of the configuration records.
namespace cfg_tag {
inline constexpr std::uint8_t Clock = 3;
inline constexpr std::uint8_t StartDelay = 6;
inline constexpr std::uint8_t SampleInterval = 8;
inline constexpr std::uint8_t HighTempAlarm = 9;
inline constexpr std::uint8_t LowTempAlarm = 11;
inline constexpr std::uint8_t PdfLanguage = 13;
inline constexpr std::uint8_t TemperatureUnit = 15;
inline constexpr std::uint8_t DeviceName = 21;
inline constexpr std::uint8_t Website = 23;
inline constexpr std::uint8_t UserInfo = 25;
inline constexpr std::uint8_t Trademark = 45;
inline constexpr std::uint8_t Zero47 = 47;
inline constexpr std::uint8_t Zero49 = 49;
inline constexpr std::uint8_t HighHumidityAlarm = 51;
inline constexpr std::uint8_t LowHumidityAlarm = 53;
inline constexpr std::uint8_t Zero55 = 55;
inline constexpr std::uint8_t Zero57 = 57;
inline constexpr std::uint8_t AlarmLedFlash = 60;
inline constexpr std::uint8_t ChannelMode = 61;
inline constexpr std::uint8_t RecordLedFlash = 66;
inline constexpr std::uint8_t UtcOffset = 67;
inline constexpr std::uint8_t DateFormat = 68;
inline constexpr std::uint8_t Upgrade = 100;
inline constexpr std::uint8_t End = 255;
}  // namespace cfg_tag

inline constexpr std::size_t ConfigFileSize = 353;
inline constexpr std::size_t UpgradeConfigFileSize = 18;

// Sum of the bytes modulo 256.
std::uint8_t cfgChecksum(std::span<const std::uint8_t> bytes);

// Appends one record with the given tag and data (at most 250 bytes) to `out` and returns
// its length, data length + 5. The record kind follows the logger's firmware version.
std::size_t buildCfgRecord(std::vector<std::uint8_t>& out, std::uint8_t tag,
                           std::span<const std::uint8_t> data, std::uint8_t firmwareVersion);

// The 23 records of CONFIG.CFG for these settings, 353 bytes.
std::vector<std::uint8_t> buildConfigFile(const LoggerParameters& params,
                                          std::uint8_t firmwareVersion);

// The CONFIG.CFG that asks the logger to take APP.BIN, 18 bytes.
std::vector<std::uint8_t> buildUpgradeConfigFile(std::uint8_t firmwareVersion);

// Splits a file into its records; nothing when any record's framing or checksum is broken
// or bytes are left over.
std::optional<std::vector<CfgRecord>> parseCfgRecords(std::span<const std::uint8_t> bytes);

}  // namespace veltra
