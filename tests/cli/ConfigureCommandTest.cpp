#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <future>
#include <iterator>
#include <thread>

#include "cli/CliRun.h"
#include "logger/CfgRecord.h"
#include "logger/FirmwareImage.h"
#include "settings/ParameterConversions.h"
#include "simulator/LoggerSimulator.h"

namespace veltra::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// A drive folder holding the DAT.SRC of a logger made from `settings`.
struct Drive {
    explicit Drive(SimulatorSettings logger = {}) : settings(logger) {
        writeFile(folder.path() / "DAT.SRC",
                  LoggerSimulator::deviceImage(logger, logger.firmwareRevision, reported()));
    }
    LoggerParameters reported() const {
        return LoggerSimulator(folder.path(), settings).parameters();
    }
    std::string root() const { return folder.path().string(); }
    bool has(const char* name) const { return fs::exists(folder.path() / name); }

    TempFolder folder;
    SimulatorSettings settings;
};

const std::vector<std::string> fixedHost = {"--now", "2026-12-06 21:30:00", "--host-utc-offset",
                                            "+00:00"};

std::vector<std::string> args(std::vector<std::string> words,
                              const std::vector<std::string>& more = fixedHost) {
    words.insert(words.end(), more.begin(), more.end());
    return words;
}

TEST(ConfigureCommand, WritesTheRecordsTheDialogWould) {
    Drive drive;
    const CliResult result = runCli(args({"configure",   "--drive",
                                          drive.root(),  "--device-name",
                                          "Cold room 2", "--unit",
                                          "fahrenheit",  "--high-temp",
                                          "50",          "--low-temp",
                                          "32",          "--time-zone",
                                          "UTC+01:00",   "--sampling-interval",
                                          "300",         "--time-delay",
                                          "5",           "--alarm-led",
                                          "7",           "--date-format",
                                          "MM/DD/YYYY",  "--pdf-language",
                                          "chinese",     "--website",
                                          "example.org"}));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("clock 2026-12-06 22:30:00"), std::string::npos) << result.out;

    LoggerParameters expected = drive.reported();
    expected.clock = {26, 12, 6, 22, 30, 0};
    copyTextField(expected.deviceName, "Cold room 2");
    copyTextField(expected.website, "example.org");
    expected.temperatureUnit = 1;
    expected.highTempAlarm = 200;  // 50 °F is 10 °C
    expected.lowTempAlarm = 0;
    expected.utcOffsetHours = 1;
    expected.utcOffsetMinutes = 0;
    expected.sampleInterval = 300;
    expected.startDelay = 300;
    expected.alarmLedFlash = 7;
    expected.dateFormat = 1;
    expected.pdfLanguage = 1;
    expected.highHumidityAlarm = 800;
    expected.lowHumidityAlarm = 100;
    EXPECT_EQ(readFile(drive.folder.path() / "CONFIG.CFG"), buildConfigFile(expected, 37));
    EXPECT_EQ(readFile(drive.folder.path() / "OK.DAT"), (std::vector<std::uint8_t>{'O', 'K'}));
}

TEST(ConfigureCommand, RefusalsWriteNothing) {
    SimulatorSettings humidityOnly;
    humidityOnly.capabilityFlags = ParametersPresent | HasHumidityChannel;
    const struct {
        const char* name;
        SimulatorSettings logger;
        std::vector<std::string> options;
        int exitCode;
        const char* message;
    } cases[] = {
        {"interval",
         {},
         {"--sampling-interval", "0"},
         2,
         "Sample interval must be in the range of 1 second to 1440 minutes!"},
        {"range",
         {},
         {"--high-temp", "90"},
         2,
         "The hight temperature alarm limit must be in the range of-40.0℃ to 85.0℃"},
        {"empty name", {}, {"--device-name", ""}, 0, nullptr},  // an empty option changes nothing
        {"entry", {}, {"--unit", "kelvin"}, 2, "choose one of: celsius, fahrenheit"},
        {"zone", {}, {"--time-zone", "UTC+05:45"}, 2, "UTC-12:00"},
        {"disabled list", humidityOnly, {"--channel", "both"}, 2, "--channel"},
        {"disabled field", humidityOnly, {"--high-temp", "5"}, 2, "--high-temp"},
    };
    for (const auto& c : cases) {
        Drive drive(c.logger);
        std::vector<std::string> words{"configure", "--drive", drive.root()};
        words.insert(words.end(), c.options.begin(), c.options.end());
        const CliResult result = runCli(args(words));
        EXPECT_EQ(result.exitCode, c.exitCode) << c.name << ": " << result.err;
        if (c.message) {
            EXPECT_NE(result.err.find(c.message), std::string::npos)
                << c.name << ": " << result.err;
            EXPECT_FALSE(drive.has("CONFIG.CFG")) << c.name;
            EXPECT_FALSE(drive.has("OK.DAT")) << c.name;
        }
    }
}

TEST(ConfigureCommand, ReportsUnreadableAndRefusedImages) {
    Drive shortImage;
    fs::resize_file(shortImage.folder.path() / "DAT.SRC", 636);
    Drive missing;
    fs::remove(missing.folder.path() / "DAT.SRC");
    const struct {
        const Drive& drive;
        int exitCode;
        const char* reason;
    } cases[] = {
        {shortImage, 1, "checksum"},
        {missing, 1, "cannot read DAT.SRC"},
    };
    for (const auto& c : cases) {
        const CliResult result = runCli(args({"configure", "--drive", c.drive.root()}));
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
    }
}

SimulatorSettings needingUpgrade() {
    SimulatorSettings settings;
    settings.firmwareRevision = 1;
    settings.upgradedRevision = 2;
    settings.configureTime = std::chrono::milliseconds(300);
    settings.upgradeTime = std::chrono::milliseconds(600);
    return settings;
}

TEST(ConfigureCommand, UpgradeWithoutWaitingSaysTheSettingsFollowLater) {
    Drive drive(needingUpgrade());
    const CliResult result = runCli(args({"configure", "--drive", drive.root()}));
    EXPECT_EQ(result.exitCode, 4) << result.err;
    EXPECT_EQ(fs::file_size(drive.folder.path() / "APP.BIN"), FirmwareImageSize);
    EXPECT_EQ(fs::file_size(drive.folder.path() / "CONFIG.CFG"), UpgradeConfigFileSize);
}

// With --wait the logger is upgraded once: it takes its configuration when it comes back
// with the new firmware, and is not flashed again when it comes back still needing it.
TEST(ConfigureCommand, WaitsForTheUpgradedLoggerOnce) {
    const struct {
        std::uint8_t upgradedRevision;
        int exitCode;
        const char* said;
    } cases[] = {
        {2, 0, "its configuration was written"},
        {1, 3, "came back with firmware 37 revision 1, which still needs the upgrade"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int{c.upgradedRevision});
        TempFolder folder;
        SimulatorSettings settings = needingUpgrade();
        settings.upgradedRevision = c.upgradedRevision;
        LoggerSimulator logger(folder.path(), settings);
        int firmwareTaken = 0;
        logger.setReporter(
            [&](const std::string& line) { firmwareTaken += line.rfind("took APP.BIN", 0) == 0; });
        logger.plugIn();
        auto run = std::async(std::launch::async, [&] {
            return runCli(args({"configure", "--drive", folder.path().string(), "--device-name",
                                "Upgraded", "--wait", "--timeout", "30"}));
        });
        // The logger's firmware runs beside the command, in real time.
        while (run.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
            logger.advance(std::chrono::milliseconds(50));
        }
        const CliResult result = run.get();
        EXPECT_EQ(result.exitCode, c.exitCode) << result.out << result.err;
        EXPECT_NE(result.out.find("Upgrading("), std::string::npos) << result.out;
        EXPECT_NE((result.out + result.err).find(c.said), std::string::npos)
            << result.out << result.err;
        for (int i = 0; i < 20 && !logger.connected(); ++i) {
            logger.advance(std::chrono::milliseconds(100));
        }
        logger.advance(std::chrono::milliseconds(100));  // takes what was written, if anything
        EXPECT_EQ(firmwareTaken, 1);
        EXPECT_EQ(fieldText(logger.parameters().deviceName) == "Upgraded", c.exitCode == 0);
    }
}

}  // namespace
}  // namespace veltra::test
