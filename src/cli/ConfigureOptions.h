#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/ConfigureRun.h"
#include "core/Host.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace veltra::cli {

// The options that configure and watch share: the settings, a profile, a plan of settings by
// serial, the host's clock and zone, waiting and verifying, and the audit log.
struct ConfigureOptions {
    std::vector<std::string> drives;
    std::map<std::string_view, std::string> given;  // by option name, as parsed
    std::vector<CLI::Option*> settingOptions;       // in the order of settingOptions()
    ConfigureRequest request;
    std::string profile;
    std::string now, hostOffset;
    std::string log;
    std::string plan;
    std::string planMissing = "skip";
    const CLI::App* command = nullptr;
    CLI::Option* planOption = nullptr;
    CLI::Option* planMissingOption = nullptr;
    CLI::Option* wait = nullptr;
    CLI::Option* verify = nullptr;
    CLI::Option* timeout = nullptr;
};

// Adds the shared options to `command`; `waitFlag` adds --wait too (watch always waits).
void addSharedOptions(CLI::App& command, ConfigureOptions& options, bool waitFlag);

// Runs once the command line is parsed: refuses what does not hold together (throws the
// parser's error) and drops the settings that were not given.
void finishParsing(ConfigureOptions& options);

// Checks everything given before any logger is touched (the whole plan included), installs
// the resolver of each logger's settings when a plan or a placeholder asks for one, and makes
// the host that the clock is set from. Null, with the reason printed, when something cannot
// be applied.
std::unique_ptr<Host> prepare(ConfigureOptions& options);

}  // namespace veltra::cli
