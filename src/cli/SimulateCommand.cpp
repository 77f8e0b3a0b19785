#include <CLI/CLI.hpp>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <regex>
#include <thread>

#include "cli/Command.h"
#include "cli/StopSignals.h"
#include "simulator/LoggerSimulator.h"

namespace veltra::cli {

namespace {

struct SimulateOptions {
    std::string folder;
    SimulatorSettings settings;
    int firmwareVersion = 37;
    int firmwareRevision = 2;
    int upgradedRevision = 2;
    int capabilityFlags = 0xE1;
    int tempSampleBits = 12;
    int configureMs = 2000;
    int upgradeMs = 5000;
    CLI::Option* serialGiven = nullptr;
};

// A simulator without --serial is told apart from the others by its folder: the number in
// the folder's name ("logger-7": 7), or else a number made from the name, 1000 to 9999.
std::uint32_t serialOf(const std::filesystem::path& folder) {
    const std::filesystem::path path = std::filesystem::absolute(folder).lexically_normal();
    const std::string name = (path.has_filename() ? path : path.parent_path()).filename().string();
    static const std::regex digits("[0-9]{1,9}");
    std::uint32_t number = 0;
    for (std::sregex_iterator at(name.begin(), name.end(), digits), end; at != end; ++at) {
        number = static_cast<std::uint32_t>(std::stoul(at->str()));
    }
    if (number != 0) {
        return number;
    }
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const unsigned char c : name) {
        hash = (hash ^ c) * 16777619u;
    }
    return 1000 + hash % 9000;
}

int simulate(SimulateOptions options) {
    std::error_code error;
    if (std::filesystem::exists(options.folder, error) &&
        !std::filesystem::is_directory(options.folder, error)) {
        std::cerr << "veltra-cli: " << options.folder
                  << " is not a folder; simulate keeps its logger in a folder\n";
        return ExitInvalid;
    }
    if (!std::filesystem::create_directories(options.folder, error) && error) {
        std::cerr << "veltra-cli: cannot make the folder " << options.folder << ": "
                  << error.message() << "\n";
        return ExitIoFailure;
    }
    SimulatorSettings& s = options.settings;
    if (options.serialGiven->count() == 0) {
        s.serial = serialOf(options.folder);
    }
    s.firmwareVersion = static_cast<std::uint8_t>(options.firmwareVersion);
    s.firmwareRevision = static_cast<std::uint8_t>(options.firmwareRevision);
    s.upgradedRevision = static_cast<std::uint8_t>(options.upgradedRevision);
    s.capabilityFlags = static_cast<std::uint8_t>(options.capabilityFlags);
    s.tempSampleBits = static_cast<std::uint8_t>(options.tempSampleBits);
    s.configureTime = std::chrono::milliseconds(options.configureMs);
    s.upgradeTime = std::chrono::milliseconds(options.upgradeMs);

    LoggerSimulator simulator(options.folder, s);
    simulator.setReporter([](const std::string& line) { std::cout << line << "\n" << std::flush; });
    catchStopSignals();

    std::cout << "Simulated logger " << s.serial << " (firmware " << options.firmwareVersion
              << " revision " << options.firmwareRevision << ") in " << options.folder
              << "; Ctrl+C ends it.\n";
    if (!simulator.plugIn()) {
        std::cerr << "veltra-cli: " << options.folder
                  << " holds a DAT.SRC already (another simulated logger's, or one left "
                     "behind); remove it to simulate a logger there\n";
        return ExitInvalid;
    }
    constexpr std::chrono::milliseconds step{100};
    while (!stopSignalled()) {
        std::this_thread::sleep_for(step);
        simulator.advance(step);
    }
    simulator.unplug();
    return ExitOk;
}

}  // namespace

void addSimulateCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<SimulateOptions>();
    CLI::App* command = app.add_subcommand(
        "simulate",
        "Keep a simulated logger in a folder until interrupted: it writes DAT.SRC "
        "and takes CONFIG.CFG, OK.DAT and APP.BIN as a logger does");
    command->add_option("DIR", options->folder, "the folder that stands for the logger's drive")
        ->required();
    options->serialGiven =
        command->add_option("--serial", options->settings.serial,
                            "serial number (default: the number in the folder's name, or one "
                            "made from the name)");
    command->add_option("--firmware-version", options->firmwareVersion)->check(CLI::Range(0, 255));
    command->add_option("--firmware-revision", options->firmwareRevision)
        ->check(CLI::Range(0, 255));
    command
        ->add_option("--upgraded-revision", options->upgradedRevision,
                     "the revision it has after taking APP.BIN")
        ->check(CLI::Range(0, 255));
    command
        ->add_option("--capabilities", options->capabilityFlags,
                     "capability flags (0xE1: settings, both sensors, Fahrenheit)")
        ->check(CLI::Range(0, 255));
    command->add_option("--temp-sample-bits", options->tempSampleBits)->check(CLI::Range(0, 255));
    command->add_option("--memory", options->settings.memoryCapacity, "recording memory, bytes")
        ->check(CLI::Range(0, 0xFFFFFF));
    command->add_option("--range-min", options->settings.tempRangeMin, "tenths of a degree C");
    command->add_option("--range-max", options->settings.tempRangeMax, "tenths of a degree C");
    command
        ->add_option("--configure-time", options->configureMs,
                     "milliseconds away while taking settings")
        ->check(CLI::Range(0, 600000));
    command
        ->add_option("--upgrade-time", options->upgradeMs,
                     "milliseconds away while taking firmware")
        ->check(CLI::Range(0, 600000));
    command
        ->add_option("--ignore", options->settings.ignoredSettings,
                     "keep this setting when taking new ones (named as configure's option, "
                     "without dashes), to try --verify")
        ->check(CLI::IsMember(ignorableSettings()))
        ->allow_extra_args(false);  // one setting per --ignore, which may be repeated
    command->callback([options, &run] { run = [options] { return simulate(*options); }; });
}

}  // namespace veltra::cli
