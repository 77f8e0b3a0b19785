#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <numeric>

#include "core/Version.h"

namespace veltra::cli {

namespace {

// The edits (insertions, removals, changes of one character) that make `a` into `b`.
std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

void addCommands(CLI::App& app, CommandRun& run) {
    app.set_version_flag("--version", std::string("veltra-cli ") + VersionText);
    app.set_help_all_flag("--help-all", "Print the help of every command and exit");
    app.require_subcommand(1);
    addInspectCommand(app, run);
    addLocateCommand(app, run);
    addConfigureCommand(app, run);
    addWatchCommand(app, run);
    addSimulateCommand(app, run);
    addAuditCommand(app, run);
}

std::string unknownOptionHint(const CLI::App& app) {
    const auto chosen = app.get_subcommands();
    const CLI::App& command = chosen.empty() ? app : *chosen.front();
    for (const std::string& argument : app.remaining(true)) {
        if (argument.rfind("--", 0) != 0 || argument.size() < 3) {
            continue;
        }
        const std::string name = argument.substr(0, argument.find('='));
        std::string nearest;
        std::size_t best = 0;
        for (const CLI::Option* option : command.get_options()) {
            for (const std::string& known : option->get_lnames()) {
                const std::size_t distance = editDistance(name, "--" + known);
                if (nearest.empty() || distance < best) {
                    nearest = "--" + known;
                    best = distance;
                }
            }
        }
        const std::string what = chosen.empty() ? "veltra-cli" : command.get_name();
        return what + " has no option " + name +
               (nearest.empty() ? "" : "; the nearest is " + nearest) + " (see --help)";
    }
    return {};
}

}  // namespace veltra::cli
