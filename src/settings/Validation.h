#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "logger/DeviceInfo.h"
#include "settings/DialogValues.h"
#include "settings/LoggerParameters.h"

namespace veltra {

// The bytes a website may hold: TAB, LF, CR, printable ASCII and five Latin-1 signs.
struct AllowedTextBytes {
    static bool contains(std::uint8_t byte);
};

enum class TextCheck { Fine = 0, Empty = 1, TooLong = 2, InvalidByte = 3 };

// Judges a text as entered against a field of `width` bytes. A forbidden byte within the
// first `width` bytes is reported before the length.
TextCheck checkTextField(std::string_view text, std::size_t width, bool checkBytes);

// The first check that the collected settings fail, as the message to show; empty when all
// pass. The texts are judged as entered (`values`), the rest as collected (`params`).
std::string firstValidationFailure(const LoggerParameters& params, const DeviceInfo& info,
                                   const DialogValues& values);

}  // namespace veltra
