#include "cli/SettingOptions.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <regex>

#include "cli/CommandLine.h"
#include "simulator/LoggerSimulator.h"
#include "ui/DialogTemplate.h"

namespace veltra::cli {

namespace {

using enum SettingKind;
using Id = ControlId;

// One word for each entry of the list: the word at index i chooses entry i.
constexpr std::string_view channelWords[] = {"temperature", "humidity", "both"};
constexpr std::string_view unitWords[] = {"celsius", "fahrenheit"};
constexpr std::string_view languageWords[] = {"english", "chinese"};
static_assert(std::size(channelWords) == std::size(ChannelEntries));
static_assert(std::size(unitWords) == std::size(UnitEntries));
static_assert(std::size(languageWords) == std::size(LanguageEntries));

constexpr SettingOption options[] = {
    {"--time-delay", Id::TimeDelay, Integer, "start delay in minutes"},
    {"--sampling-interval", Id::SamplingInterval, Integer, "seconds"},
    {"--channel", Id::ChannelSelection, List, "", channelWords},
    {"--unit", Id::TemperatureUnit, List, "", unitWords},
    {"--high-temp", Id::HighTempAlarm, Decimal, "high temperature alarm, in the unit"},
    {"--low-temp", Id::LowTempAlarm, Decimal, "low temperature alarm, in the unit"},
    {"--high-humidity", Id::HighHumidityAlarm, Decimal, "high humidity alarm, %RH"},
    {"--low-humidity", Id::LowHumidityAlarm, Decimal, "low humidity alarm, %RH"},
    {"--alarm-led", Id::AlarmLedFlash, Integer, "alarm LED flash time, seconds"},
    {"--record-led", Id::RecordLedFlash, Integer, "record LED flash time, seconds"},
    {"--pdf-language", Id::PdfLanguage, List, "", languageWords},
    {"--date-format", Id::DateFormat, List, ""},
    {"--time-zone", Id::TimeZone, List, "an entry of the Time Zone list: UTC+HH:MM or UTC-HH:MM"},
    {"--device-name", Id::DeviceName, Text, "1 to 20 bytes"},
    {"--website", Id::Website, Text, "up to 50 bytes"},
    {"--user-info", Id::UserInfo, Text, "up to 100 bytes"},
    {"--trademark", Id::Trademark, Text, "up to 20 bytes"},
};

// The Time Zone list's entries nearest to an offset written some other way ("UTC+5", "+0530",
// "gmt-3:30"), or how its entries are written when the text names no offset ("CET").
std::string nearestZones(const std::string& text) {
    static const std::regex offset(R"((?:utc|gmt)?\s*([+-])\s*([0-9]{1,2})(?::?([0-9]{2}))?)",
                                   std::regex::icase);
    const std::vector<std::string> entries = listWords(*findSetting("time-zone"));
    const std::string range = entries.back() + " to " + entries.front() + " in steps of 30 minutes";
    std::smatch match;
    if (!std::regex_match(text, match, offset)) {
        return "; its entries name an offset from UTC, UTC+HH:MM or UTC-HH:MM, from " + range;
    }
    const int minutes = std::stoi(match[2]) * 60 + (match[3].matched ? std::stoi(match[3]) : 0);
    const int wanted = match[1] == "-" ? -minutes : minutes;
    std::vector<std::string> nearest;
    int best = 0;
    for (const std::string& entry : entries) {
        const int m = (std::stoi(entry.substr(4, 2)) * 60 + std::stoi(entry.substr(7, 2))) *
                      (entry[3] == '-' ? -1 : 1);
        const int distance = std::abs(m - wanted);
        if (nearest.empty() || distance < best) {
            nearest = {entry};
            best = distance;
        } else if (distance == best &&
                   std::find(nearest.begin(), nearest.end(), entry) == nearest.end()) {
            nearest.push_back(entry);
        }
    }
    return (nearest.size() == 1 ? "; the nearest entry is " : "; the nearest entries are ") +
           joined(nearest, " and ") + " (the list runs from " + range + ")";
}

}  // namespace

std::span<const SettingOption> settingOptions() {
    return options;
}

std::vector<std::string> listWords(const SettingOption& option) {
    const auto words = option.words.empty() ? listEntries(option.control) : option.words;
    return {words.begin(), words.end()};
}

int wordIndex(const SettingOption& option, std::string_view word) {
    const std::vector<std::string> words = listWords(option);
    const auto sameLetters = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    };
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (std::ranges::equal(words[i], word, sameLetters)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string joined(const std::vector<std::string>& words, const char* last) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == words.size() ? last : ", ") + words[i];
    }
    return text;
}

std::string refusalOf(const SettingOption& option, const std::string& value) {
    static const std::regex whole("-?[0-9]+");
    static const std::regex decimal(R"(-?([0-9]+(\.[0-9]*)?|\.[0-9]+))");
    const std::string name(option.name);
    switch (option.kind) {
        case List:
            if (wordIndex(option, value) >= 0) {
                break;
            }
            if (option.control == Id::TimeZone) {
                return name + ": \"" + value + "\" is not in the list" + nearestZones(value);
            }
            return name + ": \"" + value +
                   "\" is not in the list; choose one of: " + joined(listWords(option), ", ");
        case Integer:
            if (!std::regex_match(value, whole)) {
                const char* unit = option.control == Id::TimeDelay ? "minutes" : "seconds";
                return name + " takes a whole number of " + unit + ", not \"" + value + "\"";
            }
            break;
        case Decimal:
            if (!std::regex_match(value, decimal)) {
                return name + " takes a decimal number with \".\" (such as 8.5), not \"" + value +
                       "\"";
            }
            break;
        case Text:
            break;
    }
    return {};
}

const SettingOption* findSetting(std::string_view name) {
    for (const SettingOption& option : options) {
        if (option.name.substr(2) == name) {
            return &option;
        }
    }
    return nullptr;
}

std::vector<std::pair<std::string, std::vector<std::string>>> listOptionWords() {
    std::vector<std::pair<std::string, std::vector<std::string>>> lists;
    for (const SettingOption& option : options) {
        if (option.kind == List) {
            lists.emplace_back(option.name, listWords(option));
        }
    }
    lists.emplace_back("--ignore", ignorableSettings());  // simulate's misbehaviour
    lists.emplace_back("--plan-missing", std::vector<std::string>{"skip", "default"});
    return lists;
}

}  // namespace veltra::cli
