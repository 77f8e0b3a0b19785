#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Numbers as the user types them, converted leniently as the C library does: leading white
// space and a sign, then as many digits as there are; no digits gives 0, never an error.
// The core formats and reads numbers with the C locale's decimal point; front ends leave
// LC_NUMERIC at "C".
namespace veltra {

// The integer value of a text; values beyond the int range are held at its ends.
std::int32_t integerValue(std::string_view text);

// The decimal value of a text (strtod's syntax).
double decimalValue(std::string_view text);

// printf-style formatting into a std::string.
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace veltra
