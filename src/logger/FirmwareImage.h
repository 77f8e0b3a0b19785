#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace veltra {

inline constexpr std::size_t FirmwareImageSize = 118788;

// The firmware image written as APP.BIN. It is a stand-in made by the build, not firmware:
// a header that names it, its size, then a fixed pseudo-random pattern and a checksum word
// in the manner of DAT.SRC (the last word is the sum of the others).
extern const std::array<std::uint8_t, FirmwareImageSize> FirmwareImage;

inline constexpr std::string_view FirmwareImageMagic = "VELTRA-STANDIN-FIRMWARE";

}  // namespace veltra
