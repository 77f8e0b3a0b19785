#pragma once

#include <functional>

namespace CLI {
class App;
}

namespace veltra::cli {

// Exit codes shared by the commands.
inline constexpr int ExitOk = 0;
inline constexpr int ExitRefused = 1;     // the logger's file was refused, or nothing found
inline constexpr int ExitInvalid = 2;     // the settings failed validation
inline constexpr int ExitIoFailure = 3;   // a file could not be read or written
inline constexpr int ExitPending = 4;     // the settings were not written or not confirmed in time
inline constexpr int ExitUnverified = 5;  // the logger came back with other settings
inline constexpr int ExitBroken = 5;      // audit verify: the log's chain is broken

// What a subcommand leaves behind once its options are parsed: the work to run.
using CommandRun = std::function<int()>;

// Each adds one subcommand; when the user chooses it, `run` is set.
void addInspectCommand(CLI::App& app, CommandRun& run);
void addLocateCommand(CLI::App& app, CommandRun& run);
void addConfigureCommand(CLI::App& app, CommandRun& run);
void addSimulateCommand(CLI::App& app, CommandRun& run);
void addWatchCommand(CLI::App& app, CommandRun& run);
void addAuditCommand(CLI::App& app, CommandRun& run);

}  // namespace veltra::cli
