#include "cli/HostOptions.h"

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

std::optional<std::int32_t> parseUtcOffset(const std::string& text) {
    if (text.size() != 6 || (text[0] != '+' && text[0] != '-') || text[3] != ':') {
        return std::nullopt;
    }
    const int hours = digits(text, 1, 2);
    const int minutes = digits(text, 4, 2);
    if (hours < 0 || minutes < 0 || hours > 14 || minutes > 59) {
        return std::nullopt;
    }
    const std::int32_t offset = hours * 60 + minutes;
    return text[0] == '-' ? -offset : offset;
}

std::optional<LocalTime> parseLocalTime(const std::string& text) {
    // YYYY-MM-DD HH:MM:SS
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    LocalTime t{digits(text, 0, 4),  digits(text, 5, 2),  digits(text, 8, 2),
                digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2)};
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.year < 2000 || t.year > 2255 || t.month < 1 || t.month > 12 || t.day < 1 || t.hour < 0 ||
        t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59) {
        return std::nullopt;
    }
    const int monthDays = days[t.month - 1] + (t.month == 2 && isLeapYear(t.year) ? 1 : 0);
    if (t.day > monthDays) {
        return std::nullopt;
    }
    return t;
}

}  // namespace veltra::cli
