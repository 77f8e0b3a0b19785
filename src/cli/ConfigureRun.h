#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
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

// One logger's configure run, moved on a poll period at a time, so that the waits of many
// loggers run side by side on one thread while each write happens alone. Failures are printed
// on `err` as they happen, progress on `out`.
class ConfigureRun {
  public:
    // `locator` (which sees this logger alone) outlives the run. `where` empty: the logger's
    // drive root. `n` is the logger's place in this run, from 1.
    ConfigureRun(LoggerLocator& locator, Host& host, ConfigureRequest request, std::string where,
                 std::string notFound, int n, std::ostream& out, std::ostream& err);
    ~ConfigureRun();
    ConfigureRun(const ConfigureRun&) = delete;
    ConfigureRun& operator=(const ConfigureRun&) = delete;

    // Shows the logger, applies its settings and writes them; a wait may follow.
    void start();
    // A poll period on: ticks the dialog and moves the wait on, ending it at its deadline or
    // when the run is interrupted.
    void step();
    bool done() const { return stage_ == Stage::Done; }

    // What the run is at, in one word: "waiting" (written, the logger still here or being
    // upgraded), "away", "back", or once done "configured", "verified", "differs", "failed"...
    std::string_view state() const;
    // What it waits for, as a phrase, and the whole seconds waited so far.
    std::string_view awaited() const;
    int secondsWaited() const;
    const Outcome& outcome() const { return outcome_; }

  private:
    enum class Stage { Shown, Upgrading, Returning, Done };
    void write();
    void upgradeStep();
    void returnStep();
    void compareReturned();
    void recordWritten();
    void finish() { stage_ = Stage::Done; }
    void fail(int exitCode, const std::string& message);
    void failWait(bool interrupted, const std::string& left);
    void printMessages();

    LoggerLocator& locator_;
    Host& host_;
    ConfigureRequest request_;
    std::string notFound_;
    int n_;
    std::ostream& out_;
    std::ostream& err_;
    std::unique_ptr<DriveFiles> drive_;
    std::unique_ptr<HeadlessDialog> dialog_;
    Outcome outcome_;
    Stage stage_ = Stage::Shown;
    std::chrono::steady_clock::time_point started_, deadline_;
    bool gone_ = false;  // the logger went away with its settings
    std::uint32_t serial_ = 0;
};

// Configures the logger that `locator` finds as one run alone, a wait's progress shown on
// `out`; `notFound` is the failure when no logger can be shown.
Outcome configureAt(LoggerLocator& locator, Host& host, const ConfigureRequest& request,
                    std::string where, const std::string& notFound, std::ostream& out,
                    std::ostream& err);

}  // namespace veltra::cli
