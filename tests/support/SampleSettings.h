#pragma once

#include <algorithm>
#include <string>

#include "logger/DeviceInfo.h"
#include "settings/LoggerParameters.h"

namespace veltra::test {

// A full set of settings that passes every check for sampleDeviceInfo(), with a distinct
// value in every field, bytes behind the text terminators, and carried values that are never
// written to the logger.
inline LoggerParameters sampleParameters() {
    // Bytes into a text field from its start, the rest of the field filled with `rest`.
    const auto putBytes = [](auto& field, const std::string& bytes, std::uint8_t rest = 0) {
        field.fill(rest);
        std::copy_n(bytes.begin(), std::min(bytes.size(), field.size()), field.begin());
    };
    LoggerParameters p;
    p.clock = {24, 2, 29, 19, 30, 15};
    p.reserved0 = {0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7};
    p.highTempAlarm = 500;  // 25.0 degrees
    p.lowTempAlarm = -800;  // -40.0 degrees
    p.reserved1 = 0x11111111;
    p.reserved2 = 0x22222222;
    p.highHumidityAlarm = 750;
    p.lowHumidityAlarm = 250;
    p.reserved3 = 0x33333333;
    p.reserved4 = 0x44444444;
    p.startDelay = 5400;
    p.sampleInterval = 60;
    p.temperatureUnit = 1;
    p.pdfLanguage = 1;
    p.channelMode = 3;
    p.dateFormat = 2;
    p.utcOffsetHours = -3;
    p.utcOffsetMinutes = -30;
    p.alarmLedFlash = 45;
    p.recordLedFlash = 12;
    putBytes(p.deviceName, std::string("Cold room\0", 10), 'n');
    putBytes(p.deviceId, "ID-never-written-123");
    putBytes(p.website, std::string("www.example.com\0", 16), 'w');
    putBytes(p.userInfo, std::string("Batch 7\0", 8), 'u');
    putBytes(p.trademark, "TRADEMARK-20-BYTES!!");  // full width, no terminator
    p.reserved5 = {0xE0, 0xE1, 0xE2, 0xE3};
    return p;
}

// A logger with both channels, Fahrenheit, a -40.0 to 85.0 degree sensor and firmware that
// needs no upgrade.
inline DeviceInfo sampleDeviceInfo() {
    DeviceInfo info;
    info.firmwareVersion = 48;
    info.firmwareRevision = 2;
    info.capabilityFlags =
        ParametersPresent | HasTemperatureChannel | HasHumidityChannel | SupportsFahrenheit;
    info.tempSampleBits = 12;
    info.memoryCapacity = 0x10000;
    info.deviceSerial = 0x20170901;
    info.tempRangeMax = 850;
    info.tempRangeMin = -400;
    return info;
}

}  // namespace veltra::test
