#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace veltra {

// A fixed-width text field: bytes in the host's character set, zero-terminated only when
// the text is shorter than the field.
template <std::size_t Width>
using TextField = std::array<std::uint8_t, Width>;

// The field's text: its bytes up to the first zero, never more than the field's width.
template <std::size_t Width>
std::string fieldText(const TextField<Width>& field) {
    std::size_t length = 0;
    while (length < Width && field[length] != 0) {
        ++length;
    }
    return std::string(reinterpret_cast<const char*>(field.data()), length);
}

// One logger's settings in the units of its files.
struct LoggerParameters {
    std::array<std::uint8_t, 6> clock{};  // year - 2000, month, day, hour, minute, second
    std::array<std::uint8_t, 8> reserved0{};
    std::int16_t highTempAlarm = 0;  // 1/20 degree Celsius
    std::int16_t lowTempAlarm = 0;
    std::uint32_t reserved1 = 0;
    std::uint32_t reserved2 = 0;
    std::uint16_t highHumidityAlarm = 0;  // 0.1 %RH
    std::uint16_t lowHumidityAlarm = 0;
    std::uint32_t reserved3 = 0;
    std::uint32_t reserved4 = 0;
    std::int32_t startDelay = 0;       // seconds
    std::int32_t sampleInterval = 0;   // seconds
    std::uint8_t temperatureUnit = 0;  // 0 Celsius, 1 Fahrenheit
    std::uint8_t pdfLanguage = 0;      // 0 English, 1 Chinese
    std::uint8_t channelMode = 0;      // bit 0 temperature, bit 1 humidity
    std::uint8_t dateFormat = 0;       // 0 DD/MM/YYYY, 1 MM/DD/YYYY, 2 YYYY/MM/DD
    std::int8_t utcOffsetHours = 0;
    std::int8_t utcOffsetMinutes = 0;  // with the sign of the whole offset
    std::uint16_t alarmLedFlash = 0;   // seconds
    std::uint16_t recordLedFlash = 0;  // seconds
    TextField<20> deviceName{};
    TextField<20> deviceId{};
    TextField<50> website{};
    TextField<100> userInfo{};
    TextField<20> trademark{};
    std::array<std::uint8_t, 4> reserved5{};

    bool operator==(const LoggerParameters&) const = default;
};

// The units of the fields: temperatures in 1/20 degree Celsius, humidity in 0.1 %RH, times in
// seconds.
inline constexpr int TempStepsPerDegree = 20;
inline constexpr int HumidityStepsPerPercent = 10;
inline constexpr int SecondsPerMinute = 60;
inline constexpr int SecondsPerHour = 3600;
inline constexpr int SecondsPerDay = 86400;

// channelMode bits.
inline constexpr std::uint8_t TemperatureRecorded = 0x01;
inline constexpr std::uint8_t HumidityRecorded = 0x02;

// Splits an offset in minutes east of UTC into whole hours and the remaining minutes, both
// with the offset's sign (-330 gives -5 and -30).
struct SplitOffset {
    std::int8_t hours;
    std::int8_t minutes;
};
inline SplitOffset splitUtcOffset(std::int32_t minutes) {
    return {static_cast<std::int8_t>(minutes / 60), static_cast<std::int8_t>(minutes % 60)};
}

// Rebuilds the offset in minutes from the two bytes that a logger reports. A negative hour
// with a positive minute is read as the same sign, so that -5 and 30 give -330.
inline std::int32_t joinUtcOffset(std::int8_t hours, std::int8_t minutes) {
    if (hours < 0 && minutes > 0) {
        return hours * 60 - minutes;
    }
    return hours * 60 + minutes;
}

}  // namespace veltra
