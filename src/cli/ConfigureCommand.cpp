#include <CLI/CLI.hpp>
#include <iostream>
#include <sstream>

#include "cli/AuditLog.h"
#include "cli/Command.h"
#include "cli/ConfigureOptions.h"
#include "cli/FolderLocator.h"
#include "cli/LoggerSet.h"
#include "logger/DeviceImage.h"
#include "logger/LoggerFiles.h"
#include "platform/DriveFilesFactory.h"
#include "platform/LocatorFactory.h"

namespace veltra::cli {

namespace {

constexpr const char* NotRead = "the logger's DAT.SRC could not be read";

struct ConfigureCommandOptions : ConfigureOptions {
    bool all = false;
    bool json = false;
};

// Reads the DAT.SRC of a folder named on the command line, so that a refusal is reported with
// its reason (the dialog would only try again). Empty when it is accepted.
std::string checkFolderImage(const std::string& folder, const std::filesystem::path& root) {
    DeviceImage image;
    const auto files = makeFolderDrive(root);
    const DriveOpening opening = files->open('D', std::nullopt);
    const auto count =
        opening.session ? opening.session->read(DeviceImageFile, image.bytes) : std::nullopt;
    if (!count) {
        return "cannot read DAT.SRC in " + folder;
    }
    DeviceInfo info;
    LoggerParameters params{};
    image.count = static_cast<std::uint32_t>(*count);
    const ImageVerdict verdict = parseDeviceImage(image.content(), 0, info, params);
    if (verdict != ImageVerdict::Accepted) {
        return "DAT.SRC in " + folder + " was refused: " + describe(verdict);
    }
    return {};
}

// The one logger that configure works on without --all.
Outcome configureOne(const ConfigureCommandOptions& options, Host& host, std::ostream& out) {
    if (options.drives.empty()) {
        const auto locator = makeLoggerLocator();
        return configureAt(*locator, host, options.request, "",
                           "no logger found (see `veltra-cli locate --verbose`)", out, std::cerr);
    }
    const std::string& folder = options.drives.front();
    // The folder the user named, links in its path followed; from there on the drive's files
    // are never reached through a link.
    std::error_code error;
    const std::filesystem::path root = std::filesystem::canonical(folder, error);
    const std::string refusal =
        error ? "cannot open " + folder + ": " + error.message() : checkFolderImage(folder, root);
    if (!refusal.empty()) {
        std::cerr << "veltra-cli: " << refusal << "\n";
        Outcome failed;
        failed.where = folder;
        failed.exitCode = ExitRefused;
        failed.message = refusal;
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
    OutcomeReport report(options.json, options.all, options.request.verify);
    if (!report.openLog(options.log)) {
        return ExitIoFailure;
    }
    // With --json standard output carries the records alone; with --all, one line a logger.
    std::ostringstream quiet;
    std::ostream& progress = options.json ? std::cerr : options.all ? quiet : std::cout;
    if (!options.all) {
        return report.add(configureOne(options, *host, progress));
    }
    LoggerSet set(options.drives);
    // A folder named that holds no logger is reported as one that could not be read.
    const std::vector<char> letters = set.named();
    if (letters.empty()) {
        std::cerr << "veltra-cli: no logger found (see `veltra-cli locate --verbose`)\n";
        return ExitRefused;
    }
    int worst = ExitOk;
    for (const char letter : letters) {
        const auto locator = set.only(letter);
        worst = std::max(worst,
                         report.add(configureAt(*locator, *host, options.request, set.where(letter),
                                                NotRead, progress, std::cerr)));
        if (report.logFailed()) {
            break;
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
