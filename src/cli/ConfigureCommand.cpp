#include <CLI/CLI.hpp>
#include <iostream>
#include <sstream>

#include "cli/Command.h"
#include "cli/ConfigureOptions.h"
#include "cli/FolderLocator.h"
#include "cli/ImageFile.h"
#include "cli/LoggerSet.h"
#include "cli/OutcomeReport.h"
#include "cli/StopSignals.h"
#include "platform/LocatorFactory.h"

namespace veltra::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* NotRead = "the logger's DAT.SRC could not be read";

struct ConfigureCommandOptions : ConfigureOptions {
    bool all = false;
    bool json = false;
};

// The one logger that configure works on without --all.
Outcome configureOne(const ConfigureCommandOptions& options, Host& host, std::ostream& out) {
    if (options.drives.empty()) {
        const auto locator = makeLoggerLocator();
        return configureAt(*locator, host, options.request, "",
                           "no logger found (see `veltra-cli locate --verbose`)", out, std::cerr);
    }
    // A folder named is read first, so that a refusal is reported with its reason (the
    // dialog would only try again).
    const std::string& folder = options.drives.front();
    std::error_code error;
    ImageFileRead read;
    if (fs::exists(folder, error) && !fs::is_directory(folder, error)) {
        read.exitCode = ExitInvalid;
        read.message = "--drive takes the logger's folder; " + folder + " is none";
    } else {
        read = readImageFile(folder, 0);
    }
    // Links in the path followed; from there on the drive's files are never reached through
    // a link.
    const fs::path root = fs::canonical(folder, error);
    if (read.exitCode != ExitOk || error) {
        Outcome failed;
        failed.where = folder;
        failed.exitCode = read.exitCode != ExitOk ? read.exitCode : ExitIoFailure;
        failed.message = read.exitCode != ExitOk ? read.message : error.message();
        std::cerr << "veltra-cli: " << failed.message << "\n";
        return failed;
    }
    FolderLocator locator(root);
    return configureAt(locator, host, options.request, folder, NotRead, out, std::cerr);
}

int configure(ConfigureCommandOptions& options) {
    const auto host = prepare(options);
    if (!host) {
        return ExitInvalid;
    }
    LoggerSet set(options.drives);
    OutcomeReport report(options.json, options.all, options.request.verify);
    if (const int opened = report.openLog(options.log, set.roots()); opened != ExitOk) {
        return opened;
    }
    catchStopSignals();
    // With --json standard output carries the records alone; with --all, one line a logger.
    std::ostringstream quiet;
    std::ostream& progress = options.json ? std::cerr : options.all ? quiet : std::cout;
    if (!options.all) {
        return report.add(configureOne(options, *host, progress));
    }
    // A folder named that holds no logger is reported as one that could not be read.
    const std::vector<char> letters = set.named();
    if (letters.empty()) {
        std::cerr << "veltra-cli: no logger found (see `veltra-cli locate --verbose`)\n";
        return ExitRefused;
    }
    int worst = ExitOk;
    for (std::size_t i = 0; i < letters.size(); ++i) {
        const auto locator = set.only(letters[i]);
        worst = std::max(
            worst, report.add(configureAt(*locator, *host, options.request, set.where(letters[i]),
                                          NotRead, progress, std::cerr)));
        const bool last = i + 1 == letters.size();
        if (!last && (report.stopped() || stopSignalled())) {
            std::string left;
            for (std::size_t j = i + 1; j < letters.size(); ++j) {
                left += (j == i + 1 ? "" : ", ") + set.where(letters[j]);
            }
            std::cerr << "veltra-cli: " << (report.stopped() ? "stopped" : "interrupted")
                      << "; not configured: " << left << "\n";
            return std::max(worst, report.stopped() ? ExitIoFailure : interruptedExitCode());
        }
    }
    return worst;
}
}  // namespace

void addConfigureCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<ConfigureCommandOptions>();
    CLI::App* command =
        app.add_subcommand("configure",
                           "Configure a logger as the dialog does: show its settings, apply the "
                           "options as a user would, check and write them");
    command->add_option("--drive", options->drives,
                        "the logger's drive root (default: the logger that is plugged in); "
                        "with --all, may be given once for each logger");
    addSharedOptions(*command, *options, true);
    command->add_flag("--all", options->all,
                      "configure every logger plugged in now, one after the other, with one "
                      "line each; the exit code is the highest of theirs");
    command->add_flag("--json", options->json,
                      "print one JSON object a logger (as --log writes) in place of the text");
    command->callback([options, &run] {
        finishParsing(*options);
        if (options->drives.size() > 1 && !options->all) {
            throw CLI::ValidationError("--drive", "one folder, unless --all is given");
        }
        run = [options] { return configure(*options); };
    });
}

}  // namespace veltra::cli
