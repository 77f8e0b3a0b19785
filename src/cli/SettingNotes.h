#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "logger/DeviceInfo.h"
#include "settings/LoggerParameters.h"
#include "settings/Validation.h"

namespace veltra::cli {

// The settings given to configure, by option name ("--high-temp"), and which of them came
// from the profile or from the plan's row.
struct GivenSettings {
    std::map<std::string_view, std::string> values;
    std::set<std::string_view> fromProfile;
    std::string profile;  // the profile's path as given
    std::set<std::string_view> fromPlan;
    int planLine = 0;  // the row's line in the plan
};

// A value that the logger keeps otherwise than it was given: 9.27 °C is held as 9.25.
struct Adjustment {
    std::string name;    // "high-temp"
    std::string given;   // as typed
    std::string stored;  // what the logger holds, in the same unit
    std::string note;    // why
};

// The alarms given that the logger holds otherwise than typed (its 1/20 °C and 0.1 %RH
// steps, the conversion from Fahrenheit), judged on the record as written.
std::vector<Adjustment> adjustments(const LoggerParameters& written, const GivenSettings& given);

// "high-temp 9.27 → 9.25 (the logger keeps 0.05 °C steps)"
std::string adjustmentText(const Adjustment& adjustment);

// What the window's refusal is about, in the command line's words: the option or profile key,
// the value, and what it takes in the option's own unit (the alarms in the unit selected, the
// sampling interval in seconds). `collected` and `entered` are what the window checked.
std::string describeRefusal(const ValidationFailure& failure, const LoggerParameters& collected,
                            const DialogValues& entered, const DeviceInfo& info,
                            const GivenSettings& given);

}  // namespace veltra::cli
