#pragma once

#include <chrono>
#include <fstream>
#include <iterator>

#include "platform/DriveFilesFactory.h"
#include "platform/fake/FixedHost.h"
#include "simulator/LoggerSimulator.h"
#include "simulator/SimulatedLocator.h"
#include "support/TempFolder.h"
#include "ui/DialogSession.h"
#include "ui/MemoryControls.h"

namespace veltra::test {

// Reports whichever simulated logger is plugged into the rig, at drive E.
class RigLocator : public LoggerLocator {
  public:
    const LoggerSimulator* plugged = nullptr;

    std::vector<std::string> collectMatchEntries() override {
        return plugged ? SimulatedLocator(*plugged).collectMatchEntries()
                       : std::vector<std::string>{};
    }
    std::optional<std::filesystem::path> rootOf(char drive) const override {
        return plugged ? SimulatedLocator(*plugged).rootOf(drive) : std::nullopt;
    }
};

// The whole road without a window: the in-memory window, the real poll cycle, simulated
// loggers in a temporary folder and a locator that reports the plugged one at drive E.
struct DialogRig {
    explicit DialogRig(SimulatorSettings settings = quickSettings(1001))
        : simulator(folder.path() / "first", settings),
          other(folder.path() / "second", quickSettings(2002)),
          drive(makeDriveFiles([this](char letter) { return locator.rootOf(letter); })),
          session(controls, host, *drive, locator) {
        controls.setListener([this](ControlId id, Notification what) { session.notify(id, what); });
        session.open();
    }

    // Plugs one of the rig's loggers in (and the other out).
    void plug(LoggerSimulator& logger) {
        unplug();
        logger.plugIn();
        locator.plugged = &logger;
    }
    void unplug() {
        for (LoggerSimulator* logger : {&simulator, &other}) {
            if (logger->connected()) {
                logger->unplug();
            }
        }
        locator.plugged = nullptr;
    }

    static SimulatorSettings quickSettings(std::uint32_t serial = 1001) {
        SimulatorSettings settings;
        settings.serial = serial;
        settings.configureTime = std::chrono::milliseconds(300);
        settings.upgradeTime = std::chrono::milliseconds(500);
        return settings;
    }

    void ticks(int count) {
        for (int i = 0; i < count; ++i) {
            cycle.tick();
        }
    }
    // Lets the simulator and the window run side by side for `count` ticks of 100 ms.
    void run(int count) {
        for (int i = 0; i < count; ++i) {
            simulator.advance(std::chrono::milliseconds(100));
            other.advance(std::chrono::milliseconds(100));
            cycle.tick();
        }
    }
    // Clicks the configure button and runs the tick that does the work.
    void configure() {
        controls.click(ControlId::ConfigureButton);
        cycle.tick();
    }
    // Starts the window and plugs the logger in; its settings are shown afterwards.
    void startWithLogger() {
        ticks(2);
        plug(simulator);
        ticks(5);
    }

    std::string text(ControlId id) const { return controls.text(id); }
    std::vector<std::uint8_t> file(const char* name) const { return file(simulator, name); }
    static std::vector<std::uint8_t> file(const LoggerSimulator& logger, const char* name) {
        std::ifstream in(logger.folder() / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    TempFolder folder;
    MemoryControls controls;
    FixedHost host{{2024, 3, 1, 8, 30, 15}, 480};
    LoggerSimulator simulator;
    LoggerSimulator other;
    RigLocator locator;
    std::unique_ptr<DriveFiles> drive;
    DialogSession session;
    DialogState& state = session.state();
    PollCycle& cycle = session.pollCycle();
};

}  // namespace veltra::test
