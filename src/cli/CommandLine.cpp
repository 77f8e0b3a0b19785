#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>

#include "core/Version.h"

namespace veltra::cli {

void addCommands(CLI::App& app, CommandRun& run) {
    app.set_version_flag("--version", std::string("veltra-cli ") + VersionText);
    app.set_help_all_flag("--help-all", "Print the help of every command and exit");
    app.require_subcommand(1);
    addInspectCommand(app, run);
    addLocateCommand(app, run);
    addConfigureCommand(app, run);
    addWatchCommand(app, run);
    addSimulateCommand(app, run);
}

}  // namespace veltra::cli
