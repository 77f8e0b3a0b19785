#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/DriveFiles.h"
#include "logger/DeviceInfo.h"
#include "settings/LoggerParameters.h"

namespace veltra {

// What a simulated logger is made of.
struct SimulatorSettings {
    std::uint32_t serial = 1001;
    std::uint8_t firmwareVersion = 37;
    std::uint8_t firmwareRevision = 2;
    // The revision it comes back with after taking the firmware image.
    std::uint8_t upgradedRevision = 2;
    std::uint8_t capabilityFlags =
        ParametersPresent | HasTemperatureChannel | HasHumidityChannel | SupportsFahrenheit;
    std::uint8_t tempSampleBits = 12;
    std::uint32_t memoryCapacity = 262144;  // bytes, 24 bits used
    std::int16_t tempRangeMax = 850;        // tenths of a degree Celsius
    std::int16_t tempRangeMin = -400;
    // How long it stays away while it takes new settings, and new firmware.
    std::chrono::milliseconds configureTime{2000};
    std::chrono::milliseconds upgradeTime{5000};
    // The settings it keeps when it takes new ones, by the names of configure's options
    // ("device-name"), to show a logger that does not take what it was sent; empty: none.
    std::vector<std::string> ignoredSettings;
};

// The names that `ignoredSettings` take.
std::vector<std::string> ignorableSettings();

// The firmware's side of the logger's files, for tests, demonstrations and trying the tool
// without hardware. It keeps a folder that stands for the logger's drive: while connected it
// holds DAT.SRC; when OK.DAT appears it takes CONFIG.CFG (and APP.BIN), goes away for a while
// (the folder then holds no DAT.SRC), applies what it took and comes back. Time is advanced by
// the caller, so tests never sleep. Like the tool, it reaches the folder only through drive
// sessions: it never waits on a pipe, a device or another writer's lock.
class LoggerSimulator {
  public:
    LoggerSimulator(std::filesystem::path folder, SimulatorSettings settings);

    // Plugs the logger in (writes DAT.SRC) or pulls it out (removes it). A DAT.SRC that this
    // logger did not write (another's in the same folder) is neither rewritten nor removed:
    // plugIn then answers false and the logger stays out.
    bool plugIn();
    void unplug();
    bool connected() const { return state_ == State::Connected; }

    // Lets `elapsed` of simulated time pass.
    void advance(std::chrono::milliseconds elapsed);

    const std::filesystem::path& folder() const { return folder_; }
    const SimulatorSettings& settings() const { return settings_; }
    // The settings the logger holds now, as it reports them in DAT.SRC.
    const LoggerParameters& parameters() const { return parameters_; }
    std::uint8_t firmwareRevision() const { return revision_; }

    // Receives one line for everything the logger does ("took CONFIG.CFG", ...).
    void setReporter(std::function<void(const std::string&)> reporter) {
        reporter_ = std::move(reporter);
    }

    // The DAT.SRC bytes that a logger with these settings and parameters reports.
    static std::vector<std::uint8_t> deviceImage(const SimulatorSettings& settings,
                                                 std::uint8_t revision,
                                                 const LoggerParameters& parameters);

  private:
    enum class State { Unplugged, Connected, Away };
    static constexpr char Letter = 'E';

    std::unique_ptr<DriveSession> openDrive(bool lock);
    void takeFiles(DriveSession& drive);
    bool takesFirmware(DriveSession& drive);
    bool holdsOwnImage(DriveSession& drive);
    bool holdsOtherImage(DriveSession& drive);
    void writeDeviceImage();
    void removeDeviceImage(DriveSession& drive);
    void report(const std::string& line);

    std::filesystem::path folder_;
    std::unique_ptr<DriveFiles> drive_;
    SimulatorSettings settings_;
    LoggerParameters parameters_{};
    std::uint8_t revision_;
    State state_ = State::Unplugged;
    std::chrono::milliseconds awayLeft_{0};
    std::vector<std::uint8_t> written_;  // the DAT.SRC it wrote last
    std::function<void(const std::string&)> reporter_;
};

}  // namespace veltra
