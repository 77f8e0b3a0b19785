#include <CLI/CLI.hpp>
#include <chrono>
#include <iostream>
#include <thread>

#include "cli/Command.h"
#include "cli/CommandLine.h"
#include "cli/FolderLocator.h"
#include "cli/HeadlessDialog.h"
#include "cli/HostOptions.h"
#include "logger/DeviceImage.h"
#include "logger/LoggerFiles.h"
#include "platform/DriveFilesFactory.h"
#include "platform/HostFactory.h"
#include "platform/LocatorFactory.h"
#include "ui/DialogTemplate.h"

namespace veltra::cli {

namespace {

struct ConfigureOptions {
    std::string drive;
    std::string timeDelay, samplingInterval, highTemp, lowTemp, highHumidity, lowHumidity;
    std::string alarmLed, recordLed, deviceName, website, userInfo, trademark;
    std::string channel, unit, pdfLanguage, dateFormat, timeZone;
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

// A list option: the words the command line takes, and the entries they stand for.
struct ListChoice {
    const char* option;
    ControlId id;
    const std::string ConfigureOptions::*value;
    std::vector<std::pair<std::string, std::string>> words;  // empty: the entry's own text
};

std::string entryFor(const ListChoice& choice, const std::string& given, std::string& error) {
    if (choice.words.empty()) {
        return given;
    }
    std::string accepted;
    for (const auto& [word, entry] : choice.words) {
        if (word == given) {
            return entry;
        }
        accepted += (accepted.empty() ? "" : ", ") + word;
    }
    error = "\"" + given + "\" is not in the list; choose one of: " + accepted;
    return {};
}

struct TypedField {
    const char* option;
    ControlId id;
    const std::string ConfigureOptions::*value;
};

const TypedField typedFields[] = {
    {"--time-delay", ControlId::TimeDelay, &ConfigureOptions::timeDelay},
    {"--sampling-interval", ControlId::SamplingInterval, &ConfigureOptions::samplingInterval},
    {"--high-temp", ControlId::HighTempAlarm, &ConfigureOptions::highTemp},
    {"--low-temp", ControlId::LowTempAlarm, &ConfigureOptions::lowTemp},
    {"--high-humidity", ControlId::HighHumidityAlarm, &ConfigureOptions::highHumidity},
    {"--low-humidity", ControlId::LowHumidityAlarm, &ConfigureOptions::lowHumidity},
    {"--alarm-led", ControlId::AlarmLedFlash, &ConfigureOptions::alarmLed},
    {"--record-led", ControlId::RecordLedFlash, &ConfigureOptions::recordLed},
    {"--device-name", ControlId::DeviceName, &ConfigureOptions::deviceName},
    {"--website", ControlId::Website, &ConfigureOptions::website},
    {"--user-info", ControlId::UserInfo, &ConfigureOptions::userInfo},
    {"--trademark", ControlId::Trademark, &ConfigureOptions::trademark},
};

std::vector<ListChoice> listChoices() {
    return {
        {"--channel",
         ControlId::ChannelSelection,
         &ConfigureOptions::channel,
         {{"temperature", "Temperature"}, {"humidity", "Humidity"}, {"both", "Temp+Humidity"}}},
        {"--unit",
         ControlId::TemperatureUnit,
         &ConfigureOptions::unit,
         {{"celsius", "Celsius"}, {"fahrenheit", "Fahrenheit"}}},
        {"--pdf-language",
         ControlId::PdfLanguage,
         &ConfigureOptions::pdfLanguage,
         {{"english", "English"}, {"chinese", "Chinese"}}},
        {"--date-format", ControlId::DateFormat, &ConfigureOptions::dateFormat, {}},
        {"--time-zone", ControlId::TimeZone, &ConfigureOptions::timeZone, {}},
    };
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

    for (const ListChoice& choice : listChoices()) {
        const std::string& given = options.*choice.value;
        if (given.empty()) {
            continue;
        }
        std::string error;
        const std::string entry = entryFor(choice, given, error);
        if (error.empty()) {
            error = dialog.choose(choice.id, entry);
        }
        if (!error.empty()) {
            std::cerr << "veltra-cli: " << choice.option << ": " << error << "\n";
            return ExitInvalid;
        }
    }
    for (const TypedField& field : typedFields) {
        const std::string& given = options.*field.value;
        if (given.empty()) {
            continue;
        }
        const std::string error = dialog.type(field.id, given);
        if (!error.empty()) {
            std::cerr << "veltra-cli: " << field.option << ": " << error << "\n";
            return ExitInvalid;
        }
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

std::vector<std::pair<std::string, std::vector<std::string>>> listOptionWords() {
    std::vector<std::pair<std::string, std::vector<std::string>>> options;
    for (const ListChoice& choice : listChoices()) {
        std::vector<std::string> words;
        for (const auto& [word, entry] : choice.words) {
            words.push_back(word);
        }
        if (words.empty()) {
            const auto entries = listEntries(choice.id);
            words.assign(entries.begin(), entries.end());
        }
        options.emplace_back(choice.option, std::move(words));
    }
    return options;
}

void addConfigureCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<ConfigureOptions>();
    CLI::App* command =
        app.add_subcommand("configure",
                           "Configure a logger as the dialog does: show its settings, apply the "
                           "options as a user would, check and write them");
    command->add_option("--drive", options->drive,
                        "the logger's drive root (default: the logger that is plugged in)");
    command->add_option("--time-delay", options->timeDelay, "start delay in minutes");
    command->add_option("--sampling-interval", options->samplingInterval, "seconds");
    command->add_option("--channel", options->channel, "temperature, humidity or both");
    command->add_option("--unit", options->unit, "celsius or fahrenheit");
    command->add_option("--high-temp", options->highTemp, "high temperature alarm, in the unit");
    command->add_option("--low-temp", options->lowTemp, "low temperature alarm, in the unit");
    command->add_option("--high-humidity", options->highHumidity, "high humidity alarm, %RH");
    command->add_option("--low-humidity", options->lowHumidity, "low humidity alarm, %RH");
    command->add_option("--alarm-led", options->alarmLed, "alarm LED flash time, seconds");
    command->add_option("--record-led", options->recordLed, "record LED flash time, seconds");
    command->add_option("--pdf-language", options->pdfLanguage, "english or chinese");
    command->add_option("--date-format", options->dateFormat,
                        "DD/MM/YYYY, MM/DD/YYYY or YYYY/MM/DD");
    command->add_option("--time-zone", options->timeZone,
                        "an entry of the Time Zone list: UTC+HH:MM or UTC-HH:MM");
    command->add_option("--device-name", options->deviceName, "1 to 20 bytes");
    command->add_option("--website", options->website, "up to 50 bytes");
    command->add_option("--user-info", options->userInfo, "up to 100 bytes");
    command->add_option("--trademark", options->trademark, "up to 20 bytes");
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
