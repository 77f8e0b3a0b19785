#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Host.h"

namespace veltra {

// The time zone selection and what the date and time texts last showed.
struct ClockState {
    std::int32_t selectedUtcOffset = 0;  // minutes east of UTC
    std::int32_t hostUtcOffset = 0;
    std::uint8_t shownYear = 255;  // 255 matches no real date, so the first refresh shows all
    std::uint8_t shownMonth = 255;
    std::uint8_t shownDay = 255;
    std::int32_t shownDateFormat = 255;
    std::uint8_t shownSecond = 255;
};

// The logger's clock bytes for the host's local time moved by `diffMinutes`: year - 2000,
// month, day, hour, minute, second. Every year divisible by 4 is a leap year.
std::array<std::uint8_t, 6> shiftedClock(const LocalTime& local, std::int32_t diffMinutes);

// The Time Zone list entry for an offset, "UTC+05:30" or "UTC-00:30".
std::string utcOffsetText(std::int32_t minutes);
// The offset that such an entry stands for; digits that are not there count as 0.
std::int32_t utcOffsetOfText(std::string_view text);

// The date text for the clock bytes in the given date format (0 DD/MM/YYYY, 1 MM/DD/YYYY,
// 2 YYYY/MM/DD; any other index shows YYYY/MM/DD).
std::string formatDate(const std::array<std::uint8_t, 6>& clock, int dateFormatIndex);
// The time text, "HH:MM:SS".
std::string formatTime(const std::array<std::uint8_t, 6>& clock);

}  // namespace veltra
