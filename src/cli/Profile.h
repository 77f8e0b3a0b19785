#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/SettingNotes.h"
#include "logger/DeviceInfo.h"
#include "settings/LoggerParameters.h"

namespace veltra::cli {

// A logger's settings in the words that configure's options take, keyed by the option's name
// without its dashes, in the options' order.
using SettingWords = std::vector<std::pair<std::string, std::string>>;

// Every setting of the record. Numbers are written with as few digits as it takes for the
// window to read them back as the same record value.
SettingWords settingWords(const LoggerParameters& params);

// The profile of a logger, as one JSON object: its settings but the alarms (and, without
// temperature, the unit) of the channels it does not record, whose fields the window disables.
nlohmann::ordered_json profileOf(const DeviceInfo& info, const LoggerParameters& params);

// Adds a profile's entries to `settings` where the command line gave none, and marks them
// as the profile's. `path` "-" reads standard input. Empty when every entry is one that
// configure takes; otherwise why not, naming the key or the byte where the file stops being
// JSON. The whole file is judged, even the entries that the command line overrides.
std::string readProfile(const std::string& path, GivenSettings& settings);

}  // namespace veltra::cli
