#pragma once

#include <cstdint>
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
};

// A setting that the returning logger reports otherwise than it was written.
struct Difference {
    std::string name, written, reported;
};

// What configuring one logger came to.
struct Outcome {
    int exitCode = 0;
    std::string where;
    bool shown = false;                   // whether its DAT.SRC was read
    DeviceInfo device;                    // as shown before the write
    std::optional<SettingWords> written;  // once the settings were written
    std::string clock;                    // the clock written with them
    std::vector<Adjustment> adjusted;     // values the logger keeps otherwise than given
    std::optional<bool> verified;         // when they were read back
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
