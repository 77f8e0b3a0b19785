#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "logger/DeviceInfo.h"
#include "settings/LoggerParameters.h"

namespace veltra::cli {

// A logger's DeviceInfo and settings as JSON objects, keyed by the records' field names;
// numbers in the records' own units, texts decoded from the host's character set.
nlohmann::ordered_json deviceJson(const DeviceInfo& info);
nlohmann::ordered_json parametersJson(const LoggerParameters& params);

// The same as lines of readable text.
std::string readableReport(const DeviceInfo& info, const LoggerParameters& params);

}  // namespace veltra::cli
