#include "cli/PlanResolver.h"

#include "cli/SettingOptions.h"
#include "cli/SettingText.h"
#include "core/HostCharset.h"

namespace veltra::cli {

namespace {

std::string inQuotes(const std::string& hostText) {
    // In steps: GCC 12's -O3 takes the one-line concatenation for an overlapping copy.
    std::string quoted = "\"";
    quoted.append(hostTextToUtf8Lossy(hostText)).append("\"");
    return quoted;
}

}  // namespace

PlanResolver::PlanResolver(GivenSettings given, std::shared_ptr<const Plan> plan,
                           bool missingTakesRest)
    : given_(std::move(given)), plan_(std::move(plan)), missingTakesRest_(missingTakesRest) {}

LoggerSettings PlanResolver::operator()(std::uint32_t serial, int n) const {
    LoggerSettings result;
    GivenSettings& settings = result.settings;
    settings = given_;
    const PlanRow* row = plan_ ? plan_->rowOf(serial) : nullptr;
    if (plan_ && !row && !missingTakesRest_) {
        result.notInPlan = true;
        return result;
    }
    if (row) {
        result.planLine = settings.planLine = row->line;
        result.planRow = row->words;
        for (const auto& [name, value] : row->values) {
            // The row wins over the profile, an option over the row.
            if (!settings.values.contains(name) || settings.fromProfile.erase(name) > 0) {
                settings.values[name] = value;
                settings.fromPlan.insert(name);
            }
        }
    }
    for (auto& [name, value] : settings.values) {
        if (!hasPlaceholder(value)) {
            continue;
        }
        const SettingOption& option = *findSetting(name.substr(2));
        const std::string replaced = withPlaceholders(value, serial, n);
        if (const std::string why = fieldRefusal(option, replaced); !why.empty()) {
            const std::string key(name.substr(2));
            const std::string from = settings.fromPlan.contains(name)
                                         ? "the plan " + plan_->path() + ", line " +
                                               std::to_string(row->line) + ", column " + key + ":"
                                     : settings.fromProfile.contains(name)
                                         ? "the profile's \"" + key + "\""
                                         : std::string(name);
            const bool place = withPlaceholders(value, serial, n + 1) != replaced;
            result.refusal = from + " " + inQuotes(value) + " is " + inQuotes(replaced) +
                             " for serial " + std::to_string(serial) +
                             (place ? ", logger " + std::to_string(n) : "") + ", " + why;
            return result;
        }
        value = replaced;
    }
    return result;
}

}  // namespace veltra::cli
