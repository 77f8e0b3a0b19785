#include <CLI/CLI.hpp>
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/HostOptions.h"
#include "cli/ImageFile.h"
#include "cli/ImageReport.h"
#include "cli/Profile.h"
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

    const ImageFileRead read = readImageFile(options.file, hostOffset);
    if (read.exitCode != ExitOk && read.refusal.empty()) {
        std::cerr << "veltra-cli: " << read.message << "\n";
        return read.exitCode;
    }
    const bool accepted = read.exitCode == ExitOk;
    if (options.profile && accepted) {
        std::cout << profileOf(read.info, read.params).dump(2) << "\n";
    } else if (options.json) {
        nlohmann::ordered_json out;
        out["accepted"] = accepted;
        if (accepted) {
            out["device"] = deviceJson(read.info);
            out["parameters"] = parametersJson(read.params);
        } else {
            out["reason"] = read.refusal;
        }
        std::cout << out.dump(2) << "\n";
    } else if (accepted) {
        std::cout << options.file << ": accepted\n" << readableReport(read.info, read.params);
    } else {
        std::cerr << options.file << ": refused: " << read.refusal << "\n";
    }
    return accepted ? ExitOk : ExitRefused;
}

}  // namespace

void addInspectCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<InspectOptions>();
    CLI::App* command = app.add_subcommand(
        "inspect", "Check a logger's DAT.SRC as the dialog does and show what it reports");
    command
        ->add_option("FILE", options->file,
                     "the DAT.SRC file to check, or the logger's folder that holds it")
        ->required();
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
