#include "settings/Clock.h"

#include <cstdio>

namespace veltra {

namespace {

constexpr std::uint8_t DaysInMonth[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

int monthLength(int month, int year) {
    if (month == 2 && year % 4 == 0) {
        return 29;
    }
    return (month >= 1 && month <= 12) ? DaysInMonth[month] : 31;
}

std::uint8_t byteOf(int value) {
    return static_cast<std::uint8_t>(value);
}

}  // namespace

std::array<std::uint8_t, 6> shiftedClock(const LocalTime& local, std::int32_t diff) {
    // The bytes are taken unshifted first, as the logger stores them, then moved.
    int y = byteOf(local.year - 2000);
    int mo = byteOf(local.month);
    int d = byteOf(local.day);
    int h = byteOf(local.hour) + diff / 60;
    int m = byteOf(local.minute) + diff % 60;
    const std::uint8_t second = byteOf(local.second);

    if (diff > 0) {
        while (m >= 60) {
            m -= 60;
            h += 1;
        }
        while (h >= 24) {
            h -= 24;
            d += 1;
            if (d > monthLength(mo, y)) {
                d = 1;
                mo += 1;
                if (mo > 12) {
                    mo = 1;
                    y += 1;
                }
            }
        }
    } else {
        while (m < 0) {
            m += 60;
            h -= 1;
        }
        while (h < 0) {
            h += 24;
            d -= 1;
            if (d < 1) {
                mo -= 1;
                if (mo < 1) {
                    mo = 12;
                    y -= 1;
                }
                d = monthLength(mo, y);
            }
        }
    }
    return {byteOf(y), byteOf(mo), byteOf(d), byteOf(h), byteOf(m), second};
}

std::string utcOffsetText(std::int32_t minutes) {
    // long is 32 bits on Windows: the magnitude of INT32_MIN needs 64.
    const long long magnitude = minutes < 0 ? -static_cast<long long>(minutes) : minutes;
    char text[48];
    std::snprintf(text, sizeof text, "UTC%c%02lld:%02lld", minutes < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return text;
}

std::string formatDate(const std::array<std::uint8_t, 6>& clock, int dateFormatIndex) {
    const int year = 2000 + clock[0];
    const int month = clock[1];
    const int day = clock[2];
    char text[48];
    switch (dateFormatIndex) {
        case 0:
            std::snprintf(text, sizeof text, "%02d/%02d/%02d", day, month, year);
            break;
        case 1:
            std::snprintf(text, sizeof text, "%02d/%02d/%02d", month, day, year);
            break;
        default:
            std::snprintf(text, sizeof text, "%02d/%02d/%02d", year, month, day);
            break;
    }
    return text;
}

std::string formatTime(const std::array<std::uint8_t, 6>& clock) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", clock[3], clock[4], clock[5]);
    return text;
}

namespace {

int digitsAt(std::string_view text, std::size_t position) {
    if (text.size() < position + 2) {
        return 0;
    }
    const char tens = text[position];
    const char ones = text[position + 1];
    if (tens < '0' || tens > '9' || ones < '0' || ones > '9') {
        return 0;
    }
    return (tens - '0') * 10 + (ones - '0');
}

}  // namespace

std::int32_t utcOffsetOfText(std::string_view text) {
    // "UTC+HH:MM": hours at positions 4 and 5, minutes at 7 and 8.
    const std::int32_t offset = digitsAt(text, 4) * 60 + digitsAt(text, 7);
    return text.size() > 3 && text[3] == '-' ? -offset : offset;
}

}  // namespace veltra
