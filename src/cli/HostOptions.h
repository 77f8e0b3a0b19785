#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/Host.h"

namespace veltra::cli {

// "+HH:MM" or "-HH:MM" as minutes east of UTC.
std::optional<std::int32_t> parseUtcOffset(const std::string& text);
// "YYYY-MM-DD HH:MM:SS" as a local time; the fields must make a real date and time.
std::optional<LocalTime> parseLocalTime(const std::string& text);

}  // namespace veltra::cli
