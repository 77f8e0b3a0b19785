#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace veltra {

struct Program;

// The bytes a website may hold: TAB, LF, CR, printable ASCII and five Latin-1 signs.
struct AllowedTextBytes {
    static bool contains(std::uint8_t byte);
};

enum class TextCheck { Fine = 0, Empty = 1, TooLong = 2, InvalidByte = 3 };

// Judges a text as entered against a field of `width` bytes. A forbidden byte within the
// first `width` bytes is reported before the length.
TextCheck checkTextField(std::string_view text, std::size_t width, bool checkBytes);

// The first check that the collected settings fail, as the message to show; empty when all
// pass. Reads editParams, the dialog's texts and the logger's DeviceInfo.
std::string firstValidationFailure(const Program& program);

// Runs the checks; shows the first failure's message and answers false, or answers true.
bool validateParameters(Program& program);

}  // namespace veltra
