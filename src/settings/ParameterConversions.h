#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace veltra {

// The channel list's index as a channel mode: 0 temperature (1), 1 humidity (2), 2 both (3);
// anything else, no selection included, temperature.
std::uint8_t channelModeFromIndex(std::uint8_t index);
// The list index that shows a channel mode: 2 gives 1, 3 gives 2, anything else 0.
int channelIndexFromMode(std::uint8_t channelMode);

// Stores a control's text into a fixed-width field: at most `field.size()` bytes, one zero
// byte after a shorter text, and the bytes after that zero left as they were.
void copyTextField(std::span<std::uint8_t> field, std::string_view text);

// The scalings of the collected settings, kept within each field's range. A value that does not
// fit is held at a value that the validation refuses, instead of wrapping into a valid one.
std::int32_t minutesToSeconds(std::int32_t minutes);
std::uint16_t toUnsignedField(std::int64_t value);
std::uint16_t scaledUnsignedField(double value, double scale);
std::int16_t scaledSignedField(double value, double scale);

}  // namespace veltra
