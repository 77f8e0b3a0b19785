#include "logger/FirmwareImage.h"

namespace veltra {

namespace {

constexpr std::array<std::uint8_t, FirmwareImageSize> makeFirmwareImage() {
    std::array<std::uint8_t, FirmwareImageSize> image{};
    std::size_t at = 0;
    for (char c : FirmwareImageMagic) {
        image[at++] = static_cast<std::uint8_t>(c);
    }
    image[at++] = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        image[at++] = static_cast<std::uint8_t>(FirmwareImageSize >> shift);
    }
    // xorshift32: a pattern with no runs, so that a dropped or repeated block shows.
    std::uint32_t state = 0x2017'0901u;
    for (; at < FirmwareImageSize - 4; ++at) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        image[at] = static_cast<std::uint8_t>(state);
    }
    std::uint32_t sum = 0;
    for (std::size_t word = 0; word < FirmwareImageSize - 4; word += 4) {
        sum += static_cast<std::uint32_t>(image[word]) |
               (static_cast<std::uint32_t>(image[word + 1]) << 8) |
               (static_cast<std::uint32_t>(image[word + 2]) << 16) |
               (static_cast<std::uint32_t>(image[word + 3]) << 24);
    }
    for (int shift = 0; shift < 32; shift += 8) {
        image[at++] = static_cast<std::uint8_t>(sum >> shift);
    }
    return image;
}

}  // namespace

constexpr std::array<std::uint8_t, FirmwareImageSize> FirmwareImage = makeFirmwareImage();

}  // namespace veltra
