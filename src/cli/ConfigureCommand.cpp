#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/Command.h"
#include "cli/ConfigureRun.h"
#include "cli/FolderLocator.h"
#include "cli/HeadlessDialog.h"
#include "cli/HostOptions.h"
#include "cli/Profile.h"
#include "cli/SettingOptions.h"
#include "logger/DeviceImage.h"
#include "logger/LoggerFiles.h"
#include "platform/DriveFilesFactory.h"
#include "platform/HostFactory.h"
#include "platform/LocatorFactory.h"

namespace veltra::cli {

namespace {

struct ConfigureOptions {
    std::string drive;
    std::map<std::string_view, std::string> given;  // by option name, as parsed
    ConfigureRequest request;
    std::string profile;
    std::string now, hostOffset;
};

// A host whose time or zone the command line may fix.
class OverriddenHost : public Host {
  public:
    OverriddenHost(std::unique_ptr<Host> real, std::optional<LocalTime> now,
                   std::optional<std::int32_t> offset)
        : real_(std::move(real)), now_(now), offset_(offset) {}
    LocalTime localTime() const override { return now_ ? *now_ : real_->localTime(); }
    std::int32_t standardUtcOffset() const override {
        return offset_ ? *offset_ : real_->standardUtcOffset();
    }

  private:
    std::unique_ptr<Host> real_;
    std::optional<LocalTime> now_;
    std::optional<std::int32_t> offset_;
};

// Reads the DAT.SRC of a folder named on the command line, so that a refusal is reported with
// its reason (the dialog would only try again).
int checkFolderImage(const std::string& folder, const std::filesystem::path& root) {
    DeviceImage image;
    const auto files = makeFolderDrive(root);
    const DriveOpening opening = files->open('D', std::nullopt);
    const auto count =
        opening.session ? opening.session->read(DeviceImageFile, image.bytes) : std::nullopt;
    if (!count) {
        std::cerr << "veltra-cli: cannot read DAT.SRC in " << folder << "\n";
        return ExitRefused;
    }
    DeviceInfo info;
    LoggerParameters params{};
    image.count = static_cast<std::uint32_t>(*count);
    const ImageVerdict verdict = parseDeviceImage(image.content(), 0, info, params);
    if (verdict != ImageVerdict::Accepted) {
        std::cerr << "veltra-cli: DAT.SRC in " << folder << " was refused: " << describe(verdict)
                  << "\n";
        return ExitRefused;
    }
    return ExitOk;
}

// Everything the command line gave, checked before any logger is touched. Empty when all of
// it can be applied; otherwise why not.
std::string checkOptions(ConfigureOptions& options) {
    for (const auto& [name, value] : options.given) {
        if (const std::string refusal = refusalOf(*findSetting(name.substr(2)), value);
            !refusal.empty()) {
            return refusal;
        }
    }
    options.request.settings = options.given;
    return options.profile.empty() ? "" : readProfile(options.profile, options.request.settings);
}

int configure(ConfigureOptions& options) {
    std::string why;
    std::optional<LocalTime> now;
    if (!options.now.empty() && !(now = parseLocalTime(options.now, why))) {
        std::cerr << "veltra-cli: --now " << why << "\n";
        return ExitInvalid;
    }
    std::optional<std::int32_t> offset;
    if (!options.hostOffset.empty() && !(offset = parseUtcOffset(options.hostOffset, why))) {
        std::cerr << "veltra-cli: --host-utc-offset " << why << "\n";
        return ExitInvalid;
    }
    if (const std::string error = checkOptions(options); !error.empty()) {
        std::cerr << "veltra-cli: " << error << "; nothing was written\n";
        return ExitInvalid;
    }
    OverriddenHost host(makeHost(), now, offset);

    std::unique_ptr<LoggerLocator> locator;
    std::string where;
    if (!options.drive.empty()) {
        // The folder the user named, links in its path followed; from there on the drive's
        // files are never reached through a link.
        std::error_code error;
        const std::filesystem::path root = std::filesystem::canonical(options.drive, error);
        const int checked = error ? ExitRefused : checkFolderImage(options.drive, root);
        if (error) {
            std::cerr << "veltra-cli: cannot open " << options.drive << ": " << error.message()
                      << "\n";
        }
        if (checked != ExitOk) {
            return checked;
        }
        locator = std::make_unique<FolderLocator>(root);
        where = options.drive;
    } else {
        locator = makeLoggerLocator();
    }
    LoggerLocator& found = *locator;
    const auto drive = makeDriveFiles([&found](char letter) { return found.rootOf(letter); });
    HeadlessDialog dialog(host, found, *drive);
    if (!dialog.waitUntilShown(20)) {
        std::cerr << (options.drive.empty()
                          ? "veltra-cli: no logger found (see `veltra-cli locate --verbose`)\n"
                          : "veltra-cli: the logger's DAT.SRC could not be read\n");
        return ExitRefused;
    }
    if (where.empty()) {
        where = found.rootOf(dialog.state().pollState.LoggerDrive).value_or("?").string();
    }
    return configureShown(dialog, options.request, where, std::cout, std::cerr).exitCode;
}

}  // namespace

void addConfigureCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<ConfigureOptions>();
    CLI::App* command =
        app.add_subcommand("configure",
                           "Configure a logger as the dialog does: show its settings, apply the "
                           "options as a user would, check and write them");
    command->add_option("--drive", options->drive,
                        "the logger's drive root (default: the logger that is plugged in)");
    std::vector<CLI::Option*> settings;
    for (const SettingOption& option : settingOptions()) {
        const std::string help = option.kind == SettingKind::List && option.help.empty()
                                     ? joined(listWords(option), " or ")
                                     : std::string(option.help);
        settings.push_back(
            command->add_option(std::string(option.name), options->given[option.name], help));
    }
    command->add_option("--profile", options->profile,
                        "a JSON file of settings, as `inspect --profile` prints them; the "
                        "options given here win");
    command->add_option("--now", options->now,
                        "set the logger's clock from this local time, \"YYYY-MM-DD HH:MM:SS\"");
    command->add_option("--host-utc-offset", options->hostOffset,
                        "the host's standard UTC offset, +HH:MM or -HH:MM");
    CLI::Option* wait = command->add_flag(
        "--wait", options->request.wait,
        "after starting a firmware upgrade, wait for the logger and configure it");
    CLI::Option* verify = command->add_flag(
        "--verify", options->request.verify,
        "wait for the logger to come back with its settings and compare them with what was "
        "written (implies --wait)");
    CLI::Option* timeout =
        command
            ->add_option("--timeout", options->request.timeoutSeconds,
                         "seconds to wait, with --wait or --verify (default 300)")
            ->check(CLI::Range(1, 86400));
    command->callback([options, settings, wait, verify, timeout, &run] {
        if (timeout->count() > 0 && wait->count() == 0 && verify->count() == 0) {
            throw CLI::ValidationError("--timeout", "it bounds a wait: give --wait or --verify");
        }
        // An option given, even empty, is applied; one not given leaves the setting alone.
        for (std::size_t i = 0; i < settings.size(); ++i) {
            if (settings[i]->count() == 0) {
                options->given.erase(settingOptions()[i].name);
            }
        }
        run = [options] { return configure(*options); };
    });
}

}  // namespace veltra::cli
