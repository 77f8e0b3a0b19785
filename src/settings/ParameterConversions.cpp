#include "settings/ParameterConversions.h"

#include <algorithm>
#include <cmath>

#include "settings/LoggerParameters.h"

namespace veltra {

std::uint8_t channelModeFromIndex(std::uint8_t index) {
    switch (index) {
        case 1:
            return 2;
        case 2:
            return 3;
        default:
            return 1;
    }
}

int channelIndexFromMode(std::uint8_t channelMode) {
    switch (channelMode) {
        case 2:
            return 1;
        case 3:
            return 2;
        default:
            return 0;
    }
}

void copyTextField(std::span<std::uint8_t> field, std::string_view text) {
    const std::size_t length = std::min(text.size(), field.size());
    std::copy_n(reinterpret_cast<const std::uint8_t*>(text.data()), length, field.begin());
    if (length < field.size()) {
        field[length] = 0;
    }
}

std::int32_t minutesToSeconds(std::int32_t minutes) {
    const std::int64_t seconds = std::int64_t{minutes} * SecondsPerMinute;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(seconds, INT32_MIN, INT32_MAX));
}

std::uint16_t toUnsignedField(std::int64_t value) {
    // Small negative values keep their low 16 bits (-50 gives 65486); both stay far above any
    // limit the validation allows.
    return static_cast<std::uint16_t>(std::clamp<std::int64_t>(value, INT16_MIN, UINT16_MAX));
}

namespace {

// Truncates toward zero into the int64 range; not-a-number counts as too large.
std::int64_t truncated(double value) {
    if (std::isnan(value) || value >= 9.0e18) {
        return INT64_MAX / 2;
    }
    if (value <= -9.0e18) {
        return INT64_MIN / 2;
    }
    return static_cast<std::int64_t>(value);
}

}  // namespace

std::uint16_t scaledUnsignedField(double value, double scale) {
    return toUnsignedField(truncated(value * scale));
}

std::int16_t scaledSignedField(double value, double scale) {
    const std::int64_t scaled = truncated(value * scale);
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(scaled, INT16_MIN, INT16_MAX));
}

}  // namespace veltra
