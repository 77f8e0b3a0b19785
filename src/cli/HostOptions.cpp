#include "cli/HostOptions.h"

#include "settings/NumberText.h"

namespace veltra::cli {

namespace {

// The number written by `count` digits at `at`, or -1 when any of them is not a digit.
int digits(const std::string& text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

}  // namespace

std::optional<std::int32_t> parseUtcOffset(const std::string& text, std::string& why) {
    const int hours = digits(text, 1, 2);
    const int minutes = digits(text, 4, 2);
    if (text.size() != 6 || (text[0] != '+' && text[0] != '-') || text[3] != ':' || hours < 0 ||
        minutes < 0) {
        why = "takes +HH:MM or -HH:MM";
    } else if (minutes > 59) {
        why = formatText("has no minute %d", minutes);
    } else if (hours > 14) {
        why = "is out of range: UTC offsets go no further than 14 hours from UTC";
    } else {
        const std::int32_t offset = hours * 60 + minutes;
        return text[0] == '-' ? -offset : offset;
    }
    return std::nullopt;
}

std::optional<LocalTime> parseLocalTime(const std::string& text, std::string& why) {
    // YYYY-MM-DD HH:MM:SS
    const LocalTime t{digits(text, 0, 4),  digits(text, 5, 2),  digits(text, 8, 2),
                      digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2)};
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':' || t.year < 0 || t.month < 0 || t.day < 0 ||
        t.hour < 0 || t.minute < 0 || t.second < 0) {
        why = "takes \"YYYY-MM-DD HH:MM:SS\"";
    } else if (t.month < 1 || t.month > 12 || t.day < 1 ||
               t.day > days[t.month - 1] + (t.month == 2 && isLeapYear(t.year) ? 1 : 0)) {
        why = "names no such date: " + text.substr(0, 10);
    } else if (t.hour > 23) {
        why = formatText("names no such hour: %02d", t.hour);
    } else if (t.minute > 59 || t.second > 59) {
        why = "names no such time: " + text.substr(11);
    } else if (t.year < 2000 || t.year > 2255) {
        why = "is outside the years that the logger's clock holds, 2000 to 2255";
    } else {
        return t;
    }
    return std::nullopt;
}

}  // namespace veltra::cli
