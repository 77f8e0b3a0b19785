#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cli/SettingOptions.h"

namespace veltra::cli {

// A text setting may name the logger it is for: {serial} is replaced by its serial number and
// {n} by its place in the run (from 1). Any other brace stays as written, since every text
// field takes braces.
bool hasPlaceholder(std::string_view text);
std::string withPlaceholders(std::string_view text, std::uint32_t serial, int n);

// Why the window would refuse `text` (the host's bytes) in the field of a text option, worded
// to follow the value ("longer than its 20 bytes"); empty when it takes it, and for the
// options that are no text.
std::string fieldRefusal(const SettingOption& option, std::string_view text);

}  // namespace veltra::cli
