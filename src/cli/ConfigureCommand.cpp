#include <CLI/CLI.hpp>
#include <iostream>
#include <thread>

#include "cli/Command.h"
#include "cli/ConfigureOptions.h"
#include "cli/FleetRun.h"
#include "cli/FolderLocator.h"
#include "cli/ImageFile.h"
#include "cli/LoggerSet.h"
#include "cli/OutcomeReport.h"
#include "cli/StopSignals.h"
#include "cli/WaitProgress.h"
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
    std::ostream& progressStream = options.json ? std::cerr : std::cout;
    if (!options.all) {
        return report.add(configureOne(options, *host, progressStream));
    }
    // A folder named that holds no logger is reported as one that could not be read.
    const std::vector<char> letters = set.named();
    if (letters.empty()) {
        std::cerr << "veltra-cli: no logger found (see `veltra-cli locate --verbose`)\n";
        return ExitRefused;
    }
    int notConfigured = ExitOk;
    FleetProgress live(progressStream, streamIsTerminal(progressStream));
    FleetRun fleet(set, *host, options.request, report, live, false);
    // Written one after the other; a stop between two leaves the rest untouched.
    for (std::size_t i = 0; i < letters.size(); ++i) {
        if (i > 0 && (report.stopped() || stopSignalled())) {
            std::string left;
            for (std::size_t j = i; j < letters.size(); ++j) {
                left += (j == i ? "" : ", ") + set.where(letters[j]);
            }
            live.clear();
            std::cerr << "veltra-cli: " << (report.stopped() ? "stopped" : "interrupted")
                      << "; not configured: " << left << "\n";
            notConfigured = report.stopped() ? ExitIoFailure : interruptedExitCode();
            break;
        }
        fleet.add(letters[i], static_cast<int>(i) + 1);
    }
    while (fleet.busy()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(PollPeriodMs));
        fleet.round();
    }
    return std::max(fleet.worst(), notConfigured);
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
                      "configure every logger plugged in now: each written in turn, their waits "
                      "side by side, one line each; the exit code is the highest of theirs");
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
