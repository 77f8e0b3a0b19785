#include "cli/ConfigureOptions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>

#include "cli/HostOptions.h"
#include "cli/PlanResolver.h"
#include "cli/Profile.h"
#include "cli/SettingOptions.h"
#include "cli/SettingText.h"
#include "platform/HostFactory.h"

namespace veltra::cli {

namespace {

// A host whose time or zone the command line may fix.
class OverriddenHost : public Host {
  public:
    OverriddenHost(std::unique_ptr<Host> real, std::optional<LocalTime> now,
                   std::optional<std::int32_t> offset)
        : real_(std::move(real)), now_(now), offset_(offset) {}
    LocalTime localTime() const override { return now_ ? *now_ : real_->localTime(); }
    std::int32_t standardUtcOffset() const override {
        return offset_ ? *offset_ : real_->standardUtcOffset();
    }

  private:
    std::unique_ptr<Host> real_;
    std::optional<LocalTime> now_;
    std::optional<std::int32_t> offset_;
};

// Checks the plan whole, when one is given, and installs the resolver of each logger's
// settings when the plan or a placeholder needs one. Empty when done; otherwise why not.
std::string installResolver(ConfigureOptions& options) {
    std::shared_ptr<Plan> plan;
    if (options.planOption->count() > 0) {
        const CLI::Option* all = options.command->get_option_no_throw("--all");
        if (all != nullptr && all->count() == 0) {
            return "--plan gives the settings of many loggers: give --all too";
        }
        plan = std::make_shared<Plan>();
        if (std::string why = plan->load(options.plan); !why.empty()) {
            return why;
        }
    }
    const auto& values = options.request.settings.values;
    const bool placeholders =
        std::ranges::any_of(values, [](const auto& entry) { return hasPlaceholder(entry.second); });
    if (plan || placeholders) {
        options.request.settingsFor = PlanResolver(options.request.settings, std::move(plan),
                                                   options.planMissing == "default");
    }
    return {};
}

}  // namespace

void addSharedOptions(CLI::App& command, ConfigureOptions& options, bool waitFlag) {
    for (const SettingOption& option : settingOptions()) {
        const std::string help = option.kind == SettingKind::List && option.help.empty()
                                     ? joined(listWords(option), " or ")
                                     : std::string(option.help);
        options.settingOptions.push_back(
            command.add_option(std::string(option.name), options.given[option.name], help));
    }
    command.add_option("--profile", options.profile,
                       "a JSON file of settings, as `inspect --profile` prints them; the "
                       "options given here win");
    options.planOption = command.add_option(
        "--plan", options.plan,
        "a CSV file of settings, one row a logger: the column serial, then "
        "columns named as the setting options without the dashes "
        "(serial,device-name,high-temp); a logger's row wins over the profile, "
        "the options given here win over both; configure takes it with --all. "
        "{serial} and {n} (the logger's place in the run, from 1) in a text "
        "setting, here, in the plan or in the profile, are replaced; other braces "
        "stay as written");
    options.planMissingOption =
        command
            .add_option("--plan-missing", options.planMissing,
                        "a logger whose serial has no row in the plan: skip leaves it alone "
                        "(the default), default gives it the profile and the options")
            ->check(CLI::IsMember({"skip", "default"}));
    command.add_option("--now", options.now,
                       "set the logger's clock from this local time, \"YYYY-MM-DD HH:MM:SS\"");
    command.add_option("--host-utc-offset", options.hostOffset,
                       "the host's standard UTC offset, +HH:MM or -HH:MM");
    if (waitFlag) {
        options.wait = command.add_flag(
            "--wait", options.request.wait,
            "after starting a firmware upgrade, wait for the logger and configure it");
    }
    options.verify = command.add_flag(
        "--verify", options.request.verify,
        "wait for the logger to come back with its settings and compare them with what was "
        "written (implies --wait)");
    options.timeout = command
                          .add_option("--timeout", options.request.timeoutSeconds,
                                      "seconds to wait for each logger (default 300)")
                          ->check(CLI::Range(1, 86400));
    command.add_option("--log", options.log,
                       "append one JSON line for every logger handled to this file");
    options.command = &command;
}

void finishParsing(ConfigureOptions& options) {
    // Each folder stands for a logger under a drive letter of its own, D to Z.
    if (options.drives.size() > 23) {
        throw CLI::ValidationError("--drive", "at most 23 folders");
    }
    const bool waits =
        options.wait == nullptr || options.wait->count() > 0 || options.verify->count() > 0;
    if (options.timeout->count() > 0 && !waits) {
        throw CLI::ValidationError("--timeout", "it bounds a wait: give --wait or --verify");
    }
    if (options.planMissingOption->count() > 0 && options.planOption->count() == 0) {
        throw CLI::ValidationError("--plan-missing",
                                   "it tells what a logger without a row in the plan gets: give "
                                   "--plan too");
    }
    // An option given, even empty, is applied; one not given leaves the setting alone.
    for (std::size_t i = 0; i < options.settingOptions.size(); ++i) {
        if (options.settingOptions[i]->count() == 0) {
            options.given.erase(settingOptions()[i].name);
        }
    }
}

std::unique_ptr<Host> prepare(ConfigureOptions& options) {
    std::string why;
    std::optional<LocalTime> now;
    if (!options.now.empty() && !(now = parseLocalTime(options.now, why))) {
        std::cerr << "veltra-cli: --now " << why << "\n";
        return nullptr;
    }
    std::optional<std::int32_t> offset;
    if (!options.hostOffset.empty() && !(offset = parseUtcOffset(options.hostOffset, why))) {
        std::cerr << "veltra-cli: --host-utc-offset " << why << "\n";
        return nullptr;
    }
    for (const auto& [name, value] : options.given) {
        if (why = refusalOf(*findSetting(name.substr(2)), value); !why.empty()) {
            break;
        }
    }
    options.request.settings.values = options.given;
    if (why.empty() && !options.profile.empty()) {
        why = readProfile(options.profile, options.request.settings);
    }
    if (why.empty()) {
        why = installResolver(options);
    }
    options.request.keepOffDrive = options.log;
    if (!why.empty()) {
        std::cerr << "veltra-cli: " << why << "; nothing was written\n";
        return nullptr;
    }
    return std::make_unique<OverriddenHost>(makeHost(), now, offset);
}

}  // namespace veltra::cli
