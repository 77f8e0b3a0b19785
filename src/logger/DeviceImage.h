#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "logger/DeviceInfo.h"
#include "settings/LoggerParameters.h"

namespace veltra {

// The raw contents of DAT.SRC, as the last read left them.
struct DeviceImage {
    static constexpr std::size_t Capacity = 131072;  // the most that is ever read
    static constexpr std::size_t MinimumSize = 640;

    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(Capacity);
    std::uint32_t count = 0;  // bytes placed by the last read

    std::span<const std::uint8_t> content() const { return {bytes.data(), count}; }
};

// Why an image was refused, or Accepted.
enum class ImageVerdict {
    Accepted,
    Empty,
    NotWholeWords,     // length not a multiple of 4
    ChecksumMismatch,  // last word is not the sum of the others
    TooShort,          // fewer than MinimumSize bytes
};

// A one-line English reason for a refusal ("" for Accepted).
std::string describe(ImageVerdict verdict);

// Checks the bytes of DAT.SRC and, when they are accepted, fills `info` and `deviceParams`.
// A refused image changes nothing, except that an image with a valid checksum that is too
// short still updates the two version bytes of `info` when they lie within it.
// `hostUtcOffset` (minutes east of UTC) gives the default time zone of a logger that
// reports no settings.
ImageVerdict parseDeviceImage(std::span<const std::uint8_t> image, std::int32_t hostUtcOffset,
                              DeviceInfo& info, LoggerParameters& deviceParams);

// The checksum word that makes `words` (a whole number of words, checksum excluded) valid.
std::uint32_t imageChecksum(std::span<const std::uint8_t> words);

// Offsets of DAT.SRC, shared with whoever writes such images (the simulator, tests).
namespace image_offset {
inline constexpr std::size_t TempSampleBits = 4;
inline constexpr std::size_t CapabilityFlags = 5;
inline constexpr std::size_t MemoryLow = 6;
inline constexpr std::size_t TempRangeMax = 8;
inline constexpr std::size_t TempRangeMin = 10;
inline constexpr std::size_t DeviceSerial = 12;
inline constexpr std::size_t FirmwareVersion = 16;
inline constexpr std::size_t Byte17 = 17;
inline constexpr std::size_t FirmwareRevision = 20;
inline constexpr std::size_t MemoryHigh = 21;
inline constexpr std::size_t PdfLanguage = 128;
inline constexpr std::size_t TemperatureUnit = 129;
inline constexpr std::size_t StartDelay = 130;
inline constexpr std::size_t SampleInterval = 134;
inline constexpr std::size_t HighTempAlarm = 138;
inline constexpr std::size_t LowTempAlarm = 140;
inline constexpr std::size_t Reserved1 = 142;
inline constexpr std::size_t Reserved2 = 146;
inline constexpr std::size_t HighHumidityAlarm = 150;
inline constexpr std::size_t LowHumidityAlarm = 152;
inline constexpr std::size_t Reserved3 = 154;
inline constexpr std::size_t Reserved4 = 158;
inline constexpr std::size_t DeviceName = 166;
inline constexpr std::size_t DeviceId = 186;
inline constexpr std::size_t Website = 206;
inline constexpr std::size_t UserInfo = 256;
inline constexpr std::size_t AlarmLedFlash = 356;
inline constexpr std::size_t Trademark = 358;
inline constexpr std::size_t ChannelMode = 395;
inline constexpr std::size_t DateFormat = 396;
inline constexpr std::size_t UtcOffsetHours = 397;
inline constexpr std::size_t RecordLedFlash = 399;
inline constexpr std::size_t UtcOffsetMinutes = 401;
}  // namespace image_offset

}  // namespace veltra
