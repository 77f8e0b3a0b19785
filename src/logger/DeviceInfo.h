#pragma once

#include <cstdint>

namespace veltra {

// Bits of DeviceInfo::capabilityFlags.
inline constexpr std::uint8_t ParametersPresent = 0x01;
inline constexpr std::uint8_t HasTemperatureChannel = 0x20;
inline constexpr std::uint8_t HasHumidityChannel = 0x40;
inline constexpr std::uint8_t SupportsFahrenheit = 0x80;

// The sensor range's unit: a tenth of a degree Celsius.
inline constexpr int RangeStepsPerDegree = 10;

// The firmware family from this version on: its CONFIG.CFG records are of kind 0x82, it reports
// its sensors in the capability flags, and the carried firmware upgrades it only below
// revision 2.
inline constexpr std::uint8_t NewFirmwareFamily = 36;

// What the logger reports about itself in DAT.SRC.
struct DeviceInfo {
    std::uint8_t firmwareVersion = 0;
    std::uint8_t firmwareRevision = 0;
    std::uint8_t header[3] = {};      // offsets 0 to 2, not interpreted
    std::uint8_t tempSampleBits = 0;  // bits one temperature sample takes in memory
    std::uint8_t capabilityFlags = 0;
    std::uint8_t byte17 = 0;           // offset 17, not interpreted
    std::uint32_t memoryCapacity = 0;  // recording memory in bytes, 24 bits used
    std::uint32_t deviceSerial = 0;
    std::int16_t tempRangeMax = 0;  // RangeStepsPerDegree
    std::int16_t tempRangeMin = 0;

    bool has(std::uint8_t capability) const { return (capabilityFlags & capability) != 0; }
};

// Record kind of every CONFIG.CFG record for a logger with this firmware version.
inline std::uint8_t recordKindFor(std::uint8_t firmwareVersion) {
    return firmwareVersion >= NewFirmwareFamily ? 0x82 : 0xFF;
}

}  // namespace veltra
