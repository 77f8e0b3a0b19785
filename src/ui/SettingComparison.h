#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/ControlIds.h"
#include "settings/LoggerParameters.h"

namespace veltra {

// A setting that a logger reports otherwise than it was written: the control that edits it
// and both values as the window shows them (UTF-8).
struct SettingDifference {
    ControlId control;
    std::string written, reported;

    bool operator==(const SettingDifference&) const = default;
};

// Compares the settings written to a logger with those it reports when it comes back, one
// setting at a time, in the order of configure's options. The clock is not reported back, so it
// is not compared; the logger's own fields (its id, the reserved bytes) are not written.
std::vector<SettingDifference> compareSettings(const LoggerParameters& written,
                                               const LoggerParameters& reported);

// The window's message for the settings that were not taken: the first five by name, with
// what was written and what is reported, then how many more.
std::string notTakenMessage(std::span<const SettingDifference> differences);

}  // namespace veltra
