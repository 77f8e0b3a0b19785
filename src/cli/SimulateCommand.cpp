#include <CLI/CLI.hpp>
#include <chrono>
#include <iostream>
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
};

int simulate(SimulateOptions options) {
    SimulatorSettings& s = options.settings;
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
    simulator.plugIn();
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
    command->add_option("--serial", options->settings.serial, "serial number");
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
