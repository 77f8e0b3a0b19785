#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/HostOptions.h"
#include "cli/ImageReport.h"
#include "cli/Profile.h"
#include "logger/DeviceImage.h"
#include "platform/DriveFilesFactory.h"
#include "platform/HostFactory.h"

namespace veltra::cli {

namespace {

struct InspectOptions {
    std::string file;
    bool json = false;
    bool profile = false;
    std::string hostOffset;
};

int inspect(const InspectOptions& options) {
    std::int32_t hostOffset = makeHost()->standardUtcOffset();
    if (!options.hostOffset.empty()) {
        std::string why;
        const auto parsed = parseUtcOffset(options.hostOffset, why);
        if (!parsed) {
            std::cerr << "veltra-cli: --host-utc-offset " << why << "\n";
            return ExitInvalid;
        }
        hostOffset = *parsed;
    }

    // Read as the dialog reads DAT.SRC: a regular file only (a pipe or device is refused at
    // once, never waited on), at most as much as the image holds.
    DeviceImage image;
    std::error_code error;
    const std::filesystem::path file = std::filesystem::canonical(options.file, error);
    const auto folder = makeFolderDrive(file.parent_path());
    const DriveOpening opening = folder->open('D', std::nullopt);
    const auto count = !error && opening.session
                           ? opening.session->read(file.filename().string(), image.bytes)
                           : std::nullopt;
    if (!count) {
        std::cerr << "veltra-cli: cannot read " << options.file
                  << " (missing, unreadable, or not a regular file)\n";
        return ExitIoFailure;
    }
    image.count = static_cast<std::uint32_t>(*count);

    DeviceInfo info;
    LoggerParameters params{};
    const ImageVerdict verdict = parseDeviceImage(image.content(), hostOffset, info, params);
    const bool accepted = verdict == ImageVerdict::Accepted;
    if (options.profile && accepted) {
        std::cout << profileOf(info, params).dump(2) << "\n";
    } else if (options.json) {
        nlohmann::ordered_json out;
        out["accepted"] = accepted;
        if (accepted) {
            out["device"] = deviceJson(info);
            out["parameters"] = parametersJson(params);
        } else {
            out["reason"] = describe(verdict);
        }
        std::cout << out.dump(2) << "\n";
    } else if (accepted) {
        std::cout << options.file << ": accepted\n" << readableReport(info, params);
    } else {
        std::cerr << options.file << ": refused: " << describe(verdict) << "\n";
    }
    return accepted ? ExitOk : ExitRefused;
}

}  // namespace

void addInspectCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<InspectOptions>();
    CLI::App* command = app.add_subcommand(
        "inspect", "Check a logger's DAT.SRC as the dialog does and show what it reports");
    command->add_option("FILE", options->file, "the DAT.SRC file to check")->required();
    CLI::Option* json = command->add_flag("--json", options->json, "print one JSON object");
    command
        ->add_flag("--profile", options->profile,
                   "print the settings as a profile for `configure --profile`: one JSON object "
                   "keyed by configure's options")
        ->excludes(json);
    command->add_option("--host-utc-offset", options->hostOffset,
                        "the host's standard UTC offset (+HH:MM or -HH:MM) for the default "
                        "time zone of a logger that reports no settings");
    command->callback([options, &run] { run = [options] { return inspect(*options); }; });
}

}  // namespace veltra::cli
