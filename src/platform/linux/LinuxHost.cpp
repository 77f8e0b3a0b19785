#include "platform/linux/LinuxHost.h"

#include <algorithm>

namespace veltra {

LocalTime LinuxHost::localTime() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::int32_t LinuxHost::standardUtcOffset() const {
    return standardUtcOffsetAt(std::time(nullptr));
}

std::int32_t LinuxHost::standardUtcOffsetAt(std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    auto offsetOn = [&](int month) {
        std::tm probe{};
        probe.tm_year = local.tm_year;
        probe.tm_mon = month;
        probe.tm_mday = 15;
        probe.tm_hour = 12;
        probe.tm_isdst = -1;
        const std::time_t moment = std::mktime(&probe);
        std::tm there{};
        localtime_r(&moment, &there);
        return static_cast<std::int32_t>(there.tm_gmtoff / 60);
    };
    return std::min(offsetOn(0), offsetOn(6));
}

}  // namespace veltra
