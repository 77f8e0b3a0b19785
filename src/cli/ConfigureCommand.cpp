#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <iostream>
#include <map>
#include <thread>

#include "cli/Command.h"
#include "cli/CommandLine.h"
#include "cli/FolderLocator.h"
#include "cli/HeadlessDialog.h"
#include "cli/HostOptions.h"
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
    std::map<std::string_view, std::string> settings;  // by option name; empty: not given
    std::string now, hostOffset;
    bool wait = false;
    int timeoutSeconds = 300;
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

std::string joined(const std::vector<std::string>& words, const char* last) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == words.size() ? last : ", ") + words[i];
    }
    return text;
}

// The user chooses a list's entry by its word.
std::string choose(HeadlessDialog& dialog, const SettingOption& option, const std::string& given) {
    const std::vector<std::string> words = listWords(option);
    const auto found = std::find(words.begin(), words.end(), given);
    if (found == words.end()) {
        return "\"" + given + "\" is not in the list; choose one of: " + joined(words, ", ");
    }
    return dialog.choose(option.control, static_cast<int>(found - words.begin()));
}

// Applies the settings given as a user would: first the lists, then the typed fields. Empty
// when all were taken; otherwise why one was not.
std::string applySettings(HeadlessDialog& dialog, const ConfigureOptions& options) {
    for (const bool lists : {true, false}) {
        for (const SettingOption& option : settingOptions()) {
            const std::string& given = options.settings.at(option.name);
            if ((option.kind == SettingKind::List) != lists || given.empty()) {
                continue;
            }
            const std::string error =
                lists ? choose(dialog, option, given) : dialog.type(option.control, given);
            if (!error.empty()) {
                return std::string(option.name) + ": " + error;
            }
        }
    }
    return {};
}

void printMessages(HeadlessDialog& dialog) {
    for (const std::string& message : dialog.takeMessages()) {
        std::cerr << message << "\n";
    }
}

std::string clockText(const DialogState& state) {
    const auto& c = state.editParams.clock;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", 2000 + c[0], c[1], c[2], c[3],
                  c[4], c[5]);
    return text;
}

// Why nothing was written, when the dialog's message does not say it.
void explain(WriteResult result) {
    if (result == WriteResult::DriveBusy) {
        std::cerr << "veltra-cli: another program kept the logger's drive locked; nothing was "
                     "written\n";
    } else if (result == WriteResult::None) {
        std::cerr << "veltra-cli: the configure request was not carried out\n";
    }
}

// Waits, tick by tick, for the upgraded logger to come back and take its configuration. A
// logger that comes back still needing the upgrade is not upgraded again.
int waitForReturn(HeadlessDialog& dialog, int timeoutSeconds) {
    using namespace std::chrono;
    const DialogState& state = dialog.state();
    std::string shown = dialog.controls().text(ControlId::ConfigureButton);
    const auto deadline = steady_clock::now() + seconds(timeoutSeconds);
    while (steady_clock::now() < deadline) {
        std::this_thread::sleep_for(milliseconds(100));
        dialog.tick();
        const std::string button = dialog.controls().text(ControlId::ConfigureButton);
        if (button != shown) {
            std::cout << "  " << button << "\n" << std::flush;
            shown = button;
        }
        const WriteResult result = state.pollState.lastWrite;
        if (result == WriteResult::UpgradeStarted) {
            continue;
        }
        printMessages(dialog);
        if (result == WriteResult::Written) {
            std::cout << "The logger is back with its new firmware; its configuration was written "
                         "(clock "
                      << clockText(state) << ").\n";
            return ExitOk;
        }
        if (result == WriteResult::UpgradeNotTaken) {
            std::cerr << "veltra-cli: the logger came back with firmware "
                      << int{state.deviceInfo.firmwareVersion} << " revision "
                      << int{state.deviceInfo.firmwareRevision}
                      << ", which still needs the upgrade; it is not upgraded again and its "
                         "configuration was not written.\n";
            return ExitIoFailure;
        }
        explain(result);
        return ExitIoFailure;
    }
    std::cerr << "The logger did not come back within " << timeoutSeconds
              << " s; its configuration was not written.\n";
    return ExitIoFailure;
}

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

int configure(const ConfigureOptions& options) {
    std::optional<LocalTime> now;
    if (!options.now.empty() && !(now = parseLocalTime(options.now))) {
        std::cerr << "veltra-cli: --now takes \"YYYY-MM-DD HH:MM:SS\"\n";
        return ExitInvalid;
    }
    std::optional<std::int32_t> offset;
    if (!options.hostOffset.empty() && !(offset = parseUtcOffset(options.hostOffset))) {
        std::cerr << "veltra-cli: --host-utc-offset takes +HH:MM or -HH:MM\n";
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
    const char letter = dialog.state().pollState.LoggerDrive;
    if (where.empty()) {
        where = found.rootOf(letter).value_or("?").string();
    }

    if (const std::string error = applySettings(dialog, options); !error.empty()) {
        std::cerr << "veltra-cli: " << error << "\n";
        return ExitInvalid;
    }

    const WriteResult result = dialog.configure();
    printMessages(dialog);
    switch (result) {
        case WriteResult::Refused:
            return ExitInvalid;
        case WriteResult::Written:
            std::cout << "Configured the logger at " << where << ": CONFIG.CFG and OK.DAT written, "
                      << "clock " << clockText(dialog.state()) << ".\n";
            return ExitOk;
        case WriteResult::UpgradeFailedThenWritten:
            // The settings are on the logger, but the upgrade that it needs did not happen.
            std::cout << "Configured the logger at " << where << " for its current firmware: "
                      << "CONFIG.CFG and OK.DAT written, clock " << clockText(dialog.state())
                      << ".\n";
            std::cerr << "veltra-cli: the firmware upgrade failed; the logger keeps its old "
                         "firmware\n";
            return ExitIoFailure;
        case WriteResult::UpgradeStarted:
            break;
        default:
            explain(result);
            return ExitIoFailure;
    }
    std::cout << "The logger at " << where
              << " needs new firmware: APP.BIN, CONFIG.CFG and OK.DAT written. Its configuration "
                 "follows when it comes back.\n";
    if (!options.wait) {
        std::cout << "Not waiting for it (no --wait): configure it again once it is back.\n";
        return ExitPending;
    }
    std::cout << "Waiting for the logger to come back (at most " << options.timeoutSeconds
              << " s)...\n"
              << std::flush;
    return waitForReturn(dialog, options.timeoutSeconds);
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
    for (const SettingOption& option : settingOptions()) {
        const std::string help = option.kind == SettingKind::List && option.help.empty()
                                     ? joined(listWords(option), " or ")
                                     : std::string(option.help);
        command->add_option(std::string(option.name), options->settings[option.name], help);
    }
    command->add_option("--now", options->now,
                        "set the logger's clock from this local time, \"YYYY-MM-DD HH:MM:SS\"");
    command->add_option("--host-utc-offset", options->hostOffset,
                        "the host's standard UTC offset, +HH:MM or -HH:MM");
    command->add_flag("--wait", options->wait,
                      "after starting a firmware upgrade, wait for the logger and configure it");
    command->add_option("--timeout", options->timeoutSeconds, "seconds to wait (default 300)")
        ->check(CLI::Range(1, 86400));
    command->callback([options, &run] { run = [options] { return configure(*options); }; });
}

}  // namespace veltra::cli
