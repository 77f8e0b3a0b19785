#include "platform/windows/WindowsHost.h"

#include <windows.h>

namespace veltra {

LocalTime WindowsHost::localTime() const {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::int32_t WindowsHost::standardUtcOffset() const {
    TIME_ZONE_INFORMATION zone{};
    // The result only says whether daylight saving is in force; Bias is valid either way.
    ::GetTimeZoneInformation(&zone);
    return -static_cast<std::int32_t>(zone.Bias);
}

}  // namespace veltra
