#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/Host.h"

namespace veltra::cli {

// "+HH:MM" or "-HH:MM" as minutes east of UTC. When it is none, `why` says what is wrong.
std::optional<std::int32_t> parseUtcOffset(const std::string& text, std::string& why);
// "YYYY-MM-DD HH:MM:SS" as a local time; the fields must make a real date and time that the
// logger's clock can hold. When it is none, `why` says what is wrong.
std::optional<LocalTime> parseLocalTime(const std::string& text, std::string& why);

}  // namespace veltra::cli
