#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ControlIds.h"

namespace veltra::cli {

// How a setting's value is given: an entry of a list, or a text typed into a field, which the
// window reads as an integer, as a decimal number or as it stands.
enum class SettingKind { List, Integer, Decimal, Text };

// One of configure's settings: the option for one control of the window.
struct SettingOption {
    std::string_view name;  // "--time-delay"
    ControlId control;
    SettingKind kind;
    std::string_view help;  // for a list, empty: its words
    // A list's words, one for each entry of the window's list, in its order; none: the
    // entries' own texts.
    std::span<const std::string_view> words = {};
};

// configure's settings, in the order of its help.
std::span<const SettingOption> settingOptions();

// The words a list option takes; the word at index i chooses the list's entry i.
std::vector<std::string> listWords(const SettingOption& option);

// The index of the entry that `word` chooses, in any case; -1 when it is none of them.
int wordIndex(const SettingOption& option, std::string_view word);

// Why the command line does not take `value` for `option` (a number that is not wholly one of
// the field's kind, a word not in the list); empty when it does. The window reads leniently;
// the command line applies exactly what it was given or nothing.
std::string refusalOf(const SettingOption& option, const std::string& value);

// The setting whose option is `name` without its leading dashes ("high-temp"); null for none.
const SettingOption* findSetting(std::string_view name);

// "a, b or c"
std::string joined(const std::vector<std::string>& words, const char* last);

}  // namespace veltra::cli
