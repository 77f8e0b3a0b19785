#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/HeadlessDialog.h"
#include "cli/Profile.h"
#include "cli/SettingNotes.h"

namespace veltra::cli {

// The settings for one logger, once its serial is known: the plan's row of its serial over the
// profile, the options over both, with {serial} and {n} replaced.
struct LoggerSettings {
    GivenSettings settings;
    std::string refusal;     // why these cannot be applied; nothing is written then
    bool notInPlan = false;  // the plan has no row for it: it is left alone
    int planLine = 0;        // the plan's line that was applied; 0 for none
    SettingWords planRow;    // that row's values, by column
};

// Resolves the settings of the logger with `serial`, the `n`th logger of this run (from 1).
using SettingsResolver = std::function<LoggerSettings(std::uint32_t serial, int n)>;

// What configure does to each logger.
struct ConfigureRequest {
    GivenSettings settings;  // each one given, by option name
    bool wait = false;       // complete a firmware upgrade
    bool verify = false;     // read the settings back from the returning logger
    // Wait for the logger to come back from taking its settings, even without verifying.
    bool awaitReturn = false;
    int timeoutSeconds = 300;
    // A file of the run's own (the log) that must not lie on the logger's drive.
    std::string keepOffDrive;
    // Unset: `settings` for every logger.
    SettingsResolver settingsFor;
};

// A setting that the returning logger reports otherwise than it was written.
struct Difference {
    std::string name, written, reported;
};

// What configuring one logger came to.
struct Outcome {
    int exitCode = 0;
    std::string where;
    bool shown = false;                      // whether its DAT.SRC was read
    DeviceInfo device;                       // as shown before the write; after an upgrade, as back
    std::optional<DeviceInfo> upgradedFrom;  // as shown before an upgrade that happened
    bool notInPlan = false;                  // left alone: the plan has no row for it
    int planLine = 0;                        // the plan's line applied; 0 for none
    SettingWords planRow;                    // that row, by column
    std::optional<SettingWords> written;     // once the settings were written
    std::string clock;                       // the clock written with them
    std::vector<Adjustment> adjusted;        // values the logger keeps otherwise than given
    std::optional<bool> verified;            // when they were read back
    std::vector<Difference> differences;
    std::string message;      // why it failed
    bool logOnDrive = false;  // refused because the log lies on this logger's drive
};

// Configures the logger that `dialog` shows as configure's options say, waiting for it and
// reading its settings back as asked. Prints progress on `out` and failures on `err`.
Outcome configureShown(HeadlessDialog& dialog, const ConfigureRequest& request,
                       const std::string& where, std::ostream& out, std::ostream& err);

// Shows the logger that `locator` finds in a dialog of its own and configures it; `notFound`
// is the failure when no logger can be shown. `where` empty: the logger's drive root.
Outcome configureAt(LoggerLocator& locator, Host& host, const ConfigureRequest& request,
                    std::string where, const std::string& notFound, std::ostream& out,
                    std::ostream& err);

}  // namespace veltra::cli
