#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "cli/CliRun.h"
#include "cli/HostOptions.h"
#include "cli/OutcomeReport.h"
#include "cli/WaitProgress.h"
#include "logger/CfgRecord.h"
#include "logger/FirmwareImage.h"
#include "settings/NumberText.h"
#include "settings/ParameterConversions.h"
#include "simulator/LoggerSimulator.h"

namespace veltra::test {
namespace {

namespace fs = std::filesystem;

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

    TempFolder folder;
    SimulatorSettings settings;
};

std::vector<std::string> args(std::vector<std::string> words) {
    words.insert(words.end(), {"--now", "2026-12-06 21:30:00", "--host-utc-offset", "+00:00"});
    return words;
}

// Each refusal exits with 2, says why and writes nothing. A case's `profile` is the text of a
// profile file given with --profile, its `plan` that of a plan given with --all --plan.
TEST(ConfigureCommand, RefusalsWriteNothing) {
    SimulatorSettings humidityOnly;
    humidityOnly.capabilityFlags = ParametersPresent | HasHumidityChannel;
    std::string manyRows = "serial,device-name,high-temp\n";
    for (int serial = 1; serial <= 10000; ++serial) {
        manyRows += std::to_string(serial) + ",Room " + std::to_string(serial) + ",8.5\n";
    }
    manyRows += "1,Room 1,8.5\n";
    std::string widest = R"({"unit": "kelvin"})";  // a profile of 1 MiB is read
    widest.resize(1 << 20, ' ');
    struct Case {
        SimulatorSettings logger;
        std::vector<std::string> options;
        const char* message;
        const char* profile = nullptr;
        const char* plan = nullptr;
    };
    std::vector<Case> cases = {
        {{}, {"--high-temp", "90"}, "The hight temperature alarm limit must be in the range"},
        {{}, {"--high-humidity", "20", "--low-humidity", "30"}, "20 is below --low-humidity 30;"},
        {{}, {"--unit", "kelvin"}, "choose one of: celsius, fahrenheit"},
        {{}, {"--time-zone", "UTC+05:45"}, "UTC-12:00"},
        {humidityOnly, {"--channel", "both"}, "--channel"},
        {{}, {"--channel", "humidity", "--high-temp", "5"}, "--high-temp: the field is disabled"},
        {{}, {"--sampling-interval", "1e2"}, "--sampling-interval takes a whole number of seconds"},
        {{}, {"--time-delay", "1.5"}, "--time-delay takes a whole number of minutes"},
        {{}, {"--high-temp", "8,5"}, "--high-temp takes a decimal number with \".\""},
        {{}, {"--now", "2025-00-30 10:00:00"}, "--now names no such date: 2025-00-30\n"},
        {{}, {"--now", "2025-06-01 25:00:00"}, "--now names no such hour: 25"},
        {{}, {"--now", "1999-12-31 10:00:00"}, "years that the logger's clock holds"},
        {{}, {"--now", "0000-06-01 10:00:00"}, "years that the logger's clock holds"},
        {{}, {"--now", "2025-06-00 10:00:00"}, "--now names no such date: 2025-06-00"},
        {{}, {"--now", "2025-06-01"}, "--now takes \"YYYY-MM-DD HH:MM:SS\""},
        {{}, {"--host-utc-offset", "+25:00"}, "--host-utc-offset is out of range"},
        {{}, {"--timeout", "5"}, "--timeout"},
        {{}, {}, "the profile's \"colour\" is not an option", R"({"colour": "red"})"},
        {{}, {}, "\"high-temp\": --high-temp takes a decimal", R"({"high-temp": "9abc"})"},
        {{}, {}, "\"alarm-led\" is not a text", R"({"alarm-led": 7})"},
        {{}, {}, "is not JSON: it breaks off at byte 19", R"({"unit": "celsius")"},
        // The profile is checked whole, even where the command line gives the setting.
        {{}, {"--unit", "celsius"}, "\"unit\": --unit: \"kelvin\"", R"({"unit": "kelvin"})"},
        {{}, {}, "\"device-name\" holds a NUL", R"({"device-name": "\u0000"})"},
        {{}, {}, "is not JSON: it breaks off at byte 21", R"({"unit": "celsius"} x)"},
        {{}, {}, "\"unit\" is given twice", R"({"unit": "celsius", "unit": "fahrenheit"})"},
        {{}, {"--profile", "DRIVE"}, "cannot read the profile"},  // a folder
        {{}, {"--profile", "/dev/zero"}, "larger than 1 MiB"},
        {{}, {}, "\"unit\": --unit: \"kelvin\"", widest.c_str()},
        {{}, {"--profile", "-"}, "the profile on standard input is not JSON"},  // it is empty
        // The one file on the logger's drive that the command line writes is none of its own.
        {{}, {"--log", "DRIVE/CONFIG.CFG"}, "lies on the logger's drive"},
        {{}, {"--log", "DRIVE/OK.DAT"}, "lies on the logger's drive"},
        // Ranges in the option's own unit, the dialog's message after them.
        {{}, {"--unit", "fahrenheit", "--high-temp", "200"}, "outside -40.0 to 185.0 °F"},
        {{}, {"--sampling-interval", "0"}, "outside 1 to 86400 seconds"},
        {{}, {"--sampling-intervall", "300"}, "the nearest is --sampling-interval"},
        {{}, {"--nwo", "x"}, "the nearest is --now"},  // each typed letter counts
        {{}, {"--lgo", "x"}, "the nearest is --log"},
        {{}, {"--jon"}, "the nearest is --json"},
        {{}, {"--time-zone", "utc+5:31"}, "the nearest entry is UTC+05:30"},
        {{}, {"--all", "--plan", "DRIVE"}, "cannot read the plan"},  // a folder
        {{}, {"--all", "--plan", "/dev/zero"}, "larger than 16 MiB"},
        {{}, {"--plan", "DRIVE/plan.csv"}, "--plan gives the settings of many loggers: give --all"},
        {{}, {"--plan-missing", "default"}, "give --plan too"},
    };
    // A plan is checked whole before any logger is touched, at its line and column.
    const std::pair<const char*, const char*> plans[] = {
        {"line 3, column high-temp: --high-temp takes a decimal",
         "\xEF\xBB\xBFserial,high-temp\r\n1,8.5\r\n2,abc\r\n"},
        {"line 4, column unit: --unit: \"kelvin\" is not in the list",
         "serial,device-name,unit\n1,\"a, \"\"b\"\"\nc\",celsius\n2,x,kelvin\n"},
        {"line 2, column high-temp: --high-temp takes a decimal number with \".\" (such as 8.5), "
         "not \"\"; nothing was written",
         "serial,high-temp\n1,\n"},
        {"column device-name: \"\" is empty, and a device name takes 1 to 20",
         "serial,device-name\n1,\n"},
        {"\"Cold rooms {serial}\" is \"Cold rooms 4294967295\" for serial 4294967295, longer "
         "than its 20 bytes",
         "serial,device-name\n4294967295,Cold rooms {serial}\n"},
        {"line 2, column serial: \"4294967296\" is no serial number",
         "serial,unit\n4294967296,celsius\n"},
        {"line 4, column serial: \"7a\" is no serial number", "serial,unit\n\n\r\n7a,celsius\n"},
        {"column website: \"a\x01\" is not for a website", "serial,website\n1,a\x01\n"},
        {"line 3, column serial: 7 has a row already, on line 2",
         "serial,unit\n7,celsius\n7,celsius\n"},
        {"line 10002, column serial: 1 has a row already, on line 2", manyRows.c_str()},
        {"line 1, column 2: \"colour\" is none of configure's settings", "serial,colour\n1,red\n"},
        {"line 1, column 1: the first column must be serial", "unit\ncelsius\n"},
        {"line 2, column 3: the row has 3 fields and the header 2", "serial,unit\n1,celsius,x\n"},
        {"line 2, column device-name: a quote inside a field", "serial,device-name\n1,a\"b\n"},
        {"line 2, column device-name: the quote that opens this field is never",
         "serial,device-name\n1,\"ab\n"},
        {"line 1, column 1: the file is empty", ""},
        {"line 2, column 1: no logger's row follows the header", "serial,unit\n"},
    };
    for (const auto& [message, plan] : plans) {
        cases.push_back({{}, {}, message, nullptr, plan});
    }
    for (const auto& c : cases) {
        Drive drive(c.logger);
        std::vector<std::string> words{"configure", "--drive", drive.root()};
        for (const std::string& option : c.options) {
            words.push_back(option.rfind("DRIVE", 0) == 0 ? drive.root() + option.substr(5)
                                                          : option);
        }
        TempFolder profile;
        if (c.profile) {
            std::ofstream(profile.path() / "p.json") << c.profile;
            words.insert(words.end(), {"--profile", (profile.path() / "p.json").string()});
        }
        if (c.plan) {
            std::ofstream(profile.path() / "plan.csv", std::ios::binary) << c.plan;
            words.insert(words.end(), {"--all", "--plan", (profile.path() / "plan.csv").string()});
        }
        const bool ownHost =
            !c.options.empty() && (c.options[0] == "--now" || c.options[0] == "--host-utc-offset");
        const Outcome result = runCli(ownHost ? words : args(words));
        EXPECT_EQ(result.exitCode, 2) << c.message << ": " << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << c.message << ": " << result.err;
        const fs::path& d = drive.folder.path();
        EXPECT_FALSE(fs::exists(d / "CONFIG.CFG") || fs::exists(d / "OK.DAT")) << c.message;
    }
}

// Month ends, leap years and the last second of a minute, where --now's checks turn, and the
// offsets --host-utc-offset takes.
TEST(ConfigureCommand, HostOptionsTakeRealTimesOnly) {
    const std::pair<const char*, bool> cases[] = {
        {"2024-02-29 10:00:00", true},  {"2000-02-29 10:00:00", true},
        {"2100-02-29 10:00:00", false}, {"2024-02-30 10:00:00", false},
        {"2025-12-31 23:59:59", true},  {"2025-01-01 10:00:60", false},
        {"2025-13-01 10:00:00", false}, {"2255-12-31 10:00:00", true},
        {"2256-01-01 10:00:00", false}, {"2025-0a-01 10:00:00", false},
        {"2025-01-01 10:00:0", false},  {"2025-01-01 24:00:00", false},
    };
    for (const auto& [text, real] : cases) {
        std::string why;
        EXPECT_EQ(cli::parseLocalTime(text, why).has_value(), real) << text << ": " << why;
    }
    // Each month's last day, and the day after it.
    const int lastDay[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int month = 1; month <= 12; ++month) {
        for (const int day : {lastDay[month - 1], lastDay[month - 1] + 1}) {
            std::string why;
            const std::string text = formatText("2025-%02d-%02d 10:00:00", month, day);
            EXPECT_EQ(cli::parseLocalTime(text, why).has_value(), day == lastDay[month - 1])
                << text;
        }
    }
    std::string why;
    const std::pair<const char*, std::optional<int>> offsets[] = {
        {"+05:30", 330}, {"-03:45", -225}, {"+14:59", 899}, {"-00:00", 0},
        {"+15:00", {}},  {"+05:60", {}},   {"05:30", {}},   {"+5:30", {}},
        {"+05-30", {}},  {"+05:3a", {}},   {"*05:30", {}},  {"+05:300", {}},
    };
    for (const auto& [text, minutes] : offsets) {
        EXPECT_EQ(cli::parseUtcOffset(text, why), minutes) << text;
    }
}

using std::chrono::milliseconds;

SimulatorSettings quick(milliseconds configureTime = milliseconds(300)) {
    SimulatorSettings settings;
    settings.configureTime = configureTime;
    settings.upgradeTime = milliseconds(600);
    return settings;
}

SimulatorSettings needingUpgrade(std::uint8_t upgradedRevision = 2,
                                 milliseconds upgradeTime = milliseconds(600)) {
    SimulatorSettings settings = quick();
    settings.firmwareRevision = 1;
    settings.upgradedRevision = upgradedRevision;
    settings.upgradeTime = upgradeTime;
    return settings;
}

// Runs veltra-cli while the loggers' firmware runs beside it, in real time: `step` lets 50 ms
// pass for them.
Outcome runBeside(const std::function<void()>& step, const std::vector<std::string>& words) {
    auto run = std::async(std::launch::async, [&] { return runCli(args(words)); });
    while (run.wait_for(milliseconds(50)) != std::future_status::ready) {
        step();
    }
    return run.get();
}

Outcome runBeside(LoggerSimulator& logger, const std::vector<std::string>& words) {
    return runBeside([&] { logger.advance(milliseconds(50)); }, words);
}

// Waiting for the logger: through its upgrade (which is done once, even when it comes back
// still needing it) and, with --verify, until it reports the settings it took.
TEST(ConfigureCommand, WaitsForTheLoggerAndVerifies) {
    SimulatorSettings ignoring = quick();
    ignoring.ignoredSettings = {"device-name"};
    // The options given, the exit code and what was said, in this order ("|" between).
    const std::tuple<SimulatorSettings, const char*, int, std::string> cases[] = {
        {needingUpgrade(), "", 4, "needs new firmware|its settings were not written (no --wait)"},
        {needingUpgrade(), "--wait --high-temp 9.21", 0,
         "waiting for the upgraded logger|configuration was written|high-temp 9.21 → 9.2 ("},
        {needingUpgrade(1), "--wait", 3, "came back with firmware 37 revision 1, which still"},
        {needingUpgrade(2, std::chrono::minutes(1)), "--wait --timeout 1", 4,
         "new firmware was written and its settings were not"},
        {quick(), "--verify", 0, "Configured|verified"},
        // The wait for the settings to be taken starts a second in.
        // The record (standard output) tells the firmware it was upgraded from.
        {needingUpgrade(2, milliseconds(1500)), "--verify --json", 0,
         "\"firmwareBefore\":{\"version\":37,\"revision\":1},|configuration was written|"
         "waiting for the logger to take its settings: |verified"},
        {ignoring, "--verify", 5,
         "device-name: written \"Checked\", reported \"Simulated logger\""},
        {quick(std::chrono::minutes(1)), "--verify --timeout 1", 4,
         "its settings were written and are not verified"},
    };
    for (const auto& [settings, options, exitCode, parts] : cases) {
        SCOPED_TRACE(parts);
        TempFolder folder;
        LoggerSimulator logger(folder.path(), settings);
        int firmwareTaken = 0;
        logger.setReporter(
            [&](const std::string& line) { firmwareTaken += line.rfind("took APP.BIN", 0) == 0; });
        logger.plugIn();
        std::vector<std::string> words{"configure", "--drive", folder.path().string(),
                                       "--device-name", "Checked"};
        std::istringstream given(options);
        words.insert(words.end(), std::istream_iterator<std::string>(given), {});
        const Outcome result = runBeside(logger, words);
        EXPECT_EQ(result.exitCode, exitCode) << result.out << result.err;
        const std::string said = result.out + result.err;
        std::size_t at = 0;
        std::istringstream in(parts);
        for (std::string part; std::getline(in, part, '|');) {
            at = said.find(part, at);
            EXPECT_NE(at, std::string::npos) << part << " in " << said;
        }
        EXPECT_EQ(said.find("follows"), std::string::npos) << said;
        EXPECT_LE(firmwareTaken, 1);
    }
}

// The options are written as the dialog would write them. The profile of a logger so set,
// applied to a logger of another firmware family (another record kind), is what that logger
// then reports; values that a typed text could truncate included.
TEST(ConfigureCommand, WritesTheRecordsAndProfilesRoundTrip) {
    Drive drive;
    // clang-format off
    const Outcome result = runCli(args({"configure", "--drive", drive.root(),
        "--device-name", "Cold room 2", "--unit", "FAHRENHEIT", "--high-temp", "50",
        "--low-temp", "32", "--time-zone", "utc+01:00", "--sampling-interval", "300",
        "--time-delay", "5", "--alarm-led", "7", "--date-format", "mm/dd/yyyy",
        "--pdf-language", "chinese", "--website", "example.org", "--trademark", ""}));
    // clang-format on
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("clock 2026-12-06 22:30:00"), std::string::npos) << result.out;

    LoggerParameters expected = drive.reported();
    expected.clock = {26, 12, 6, 22, 30, 0};
    copyTextField(expected.deviceName, "Cold room 2");
    copyTextField(expected.website, "example.org");
    copyTextField(expected.trademark, "");
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

    expected.highTempAlarm = 161;  // 8.05 °C
    expected.lowTempAlarm = -55;   // -2.75 °C, 27.05 °F
    expected.highHumidityAlarm = 553;
    expected.utcOffsetHours = 5;
    expected.utcOffsetMinutes = 30;
    writeFile(drive.folder.path() / "DAT.SRC",
              LoggerSimulator::deviceImage(drive.settings, 2, expected));
    const Outcome profile = runCli({"inspect", "--profile", drive.root() + "/DAT.SRC"});
    ASSERT_EQ(profile.exitCode, 0) << profile.err;
    const auto written = nlohmann::json::parse(profile.out);
    EXPECT_EQ(written["low-temp"], "27.04");  // 27.05 would be read as -54
    EXPECT_EQ(written["time-zone"], "UTC+05:30");
    EXPECT_EQ(written["alarm-led"], "7");
    std::ofstream(drive.folder.path() / "profile.json") << profile.out;

    SimulatorSettings old = quick();
    old.firmwareVersion = 20;
    old.serial = 1002;
    TempFolder second;
    LoggerSimulator logger(second.path(), old);
    logger.plugIn();
    const Outcome applied =
        runBeside(logger, {"configure", "--drive", second.path().string(), "--profile",
                           (drive.folder.path() / "profile.json").string(), "--verify"});
    EXPECT_EQ(applied.exitCode, 0) << applied.out << applied.err;
    const Outcome readBack = runCli({"inspect", "--profile", (second.path() / "DAT.SRC").string()});
    EXPECT_EQ(nlohmann::json::parse(readBack.out), written);

    // A value that the logger keeps otherwise than typed is named with both, plain and JSON.
    Drive celsius;
    const Outcome rounded =
        runCli(args({"configure", "--drive", celsius.root(), "--high-temp", "9.21"}));
    EXPECT_NE(rounded.out.find("high-temp 9.21 → 9.2 (the logger keeps 0.05 °C steps)"),
              std::string::npos)
        << rounded.out;
    const Outcome json = runCli(args({"configure", "--drive", celsius.root(), "--json", "--unit",
                                      "fahrenheit", "--high-temp", "50.3", "--low-temp", "32"}));
    EXPECT_EQ(
        nlohmann::json::parse(json.out)["adjusted"],
        nlohmann::json::parse(R"([{"name": "high-temp", "given": "50.3", "stored": "50.27"}])"));
}

std::vector<nlohmann::json> jsonLines(const std::string& text) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(nlohmann::json::parse(line));
    }
    return lines;
}

// configure --all takes each logger plugged in once, their waits side by side; watch takes each
// logger once per plug-in, not again when it comes back from taking its settings. Both log one
// line a logger, and tell each logger's wait off a terminal one line a change.
TEST(ConfigureCommand, ProvisionsManyLoggers) {
    TempFolder work;
    std::vector<std::unique_ptr<LoggerSimulator>> loggers;
    std::map<std::uint32_t, int> taken;  // CONFIG.CFG taken, by serial
    auto plug = [&](const fs::path& folder, std::uint32_t serial) {
        SimulatorSettings settings = quick();
        settings.serial = serial;
        loggers.push_back(std::make_unique<LoggerSimulator>(folder, settings));
        loggers.back()->setReporter([&taken, serial](const std::string& line) {
            taken[serial] += line.rfind("took CONFIG.CFG", 0) == 0;
        });
        loggers.back()->plugIn();
    };
    auto step = [&] {
        for (auto& logger : loggers) {
            logger->advance(milliseconds(50));
        }
    };
    plug(work.path() / "a", 1);
    plug(work.path() / "b", 2);
    // The plan's row for logger 2 alone; logger 1 gets the options.
    std::ofstream(work.path() / "plan.csv") << "serial,user-info\n2,\"Bay {n}, {serial}\"\n";
    const Outcome all =
        runBeside(step, {"configure", "--all", "--drive", (work.path() / "a").string(), "--drive",
                         (work.path() / "b").string(), "--device-name", "Lab", "--log",
                         (work.path() / "all.log").string(), "--json", "--verify", "--plan",
                         (work.path() / "plan.csv").string(), "--plan-missing=default"});
    EXPECT_EQ(all.exitCode, 0) << all.out << all.err;
    const auto lines = jsonLines(all.out);  // as logged
    EXPECT_EQ(jsonLines(readText(work.path() / "all.log")), lines);
    ASSERT_EQ(lines.size(), 2u);
    // The chain's fields first: the first record follows no bytes.
    EXPECT_EQ(readText(work.path() / "all.log").rfind(R"({"seq":1,"prev":"e3b0c442)", 0), 0u);
    EXPECT_EQ(lines[1]["serial"], 2);
    EXPECT_EQ(lines[1]["settings"]["device-name"], "Lab");
    EXPECT_EQ(lines[1]["settings"]["user-info"], "Bay 2, 2");
    EXPECT_EQ(lines[1]["result"], "configured");
    EXPECT_EQ(lines[0]["verified"], true);
    EXPECT_NE(all.err.find("  " + (work.path() / "b").string() + "  serial 2  away at"),
              std::string::npos)
        << all.err;

    // With --count 1, the second of two loggers plugged in is left alone; a folder holding
    // files but no DAT.SRC is no logger.
    fs::create_directories(work.path() / "x");
    writeFile(work.path() / "x" / "APP.BIN", {});
    plug(work.path() / "c", 5);
    plug(work.path() / "d", 6);
    const Outcome one = runBeside(step, {"watch", "--drive", (work.path() / "x").string(),
                                         "--drive", (work.path() / "c").string(), "--drive",
                                         (work.path() / "d").string(), "--count", "1"});
    EXPECT_NE(one.out.find("[1] " + (work.path() / "c").string() + "  serial 5  configured\n"),
              std::string::npos)
        << one.out;
    EXPECT_NE(one.out.find("\n1 logger configured.\n"), std::string::npos) << one.out;

    // One logger in the folder, pulled out once it is configured, and another plugged in.
    loggers.clear();
    const fs::path folder = work.path() / "w";
    plug(folder, 3);
    int steps = 0;
    const Outcome watched = runBeside(
        [&] {
            step();
            // Pulled out once its record is logged (it was configured and came back), however
            // slow this machine; the next one is plugged in as a hand would, a moment later.
            if (steps == 0 && std::ranges::count(readText(work.path() / "all.log"), '\n') == 3) {
                loggers.front()->unplug();
                steps = 1;
            } else if (steps > 0 && ++steps == 7) {
                plug(folder, 4);
            }
        },
        {"watch", "--drive", folder.string(), "--count", "2", "--verify", "--device-name", "Lab",
         "--log", (work.path() / "all.log").string(), "--timeout", "20", "--json"});
    EXPECT_EQ(watched.exitCode, 0) << watched.out << watched.err;
    EXPECT_NE(watched.err.find("\n2 loggers configured.\n"), std::string::npos) << watched.err;
    EXPECT_EQ(taken[3], 1);
    EXPECT_EQ(taken[4], 1);

    // The second run's records chain on from the first's, each printed as logged.
    const auto logLines = jsonLines(readText(work.path() / "all.log"));
    ASSERT_EQ(logLines.size(), 4u);
    EXPECT_EQ(jsonLines(watched.out), std::vector(logLines.begin() + 2, logLines.end()));
    EXPECT_EQ(logLines[2]["serial"], 3);
    EXPECT_EQ(logLines[3]["verified"], true);
    EXPECT_EQ(runCli({"audit", "verify", (work.path() / "all.log").string()}).out.substr(0, 18),
              "intact: 4 records,");
}

// The bar on a terminal is redrawn in place once a second; off a terminal a plain line is
// printed when a wait starts and every ten seconds, so that a log stays readable.
TEST(ConfigureCommandProgress, OneLoggersWait) {
    auto bar = [](int filled) {
        return "[" + std::string(filled, '#') + std::string(30 - filled, '.') + "] ";
    };
    const std::pair<bool, std::string> cases[] = {
        {true, "\r  upgrade " + bar(10) + "10/30 s \r  upgrade " + bar(15) +
                   "15/30 s \r  upgrade " + bar(20) + "20/30 s \r  upgrade " + bar(30) +
                   "31/30 s \n\r  settings " + bar(0) + "0/30 s \n"},
        {false,
         "  upgrade: 10 s of at most 30 s\n  upgrade: 20 s of at most 30 s\n"
         "  settings: 0 s of at most 30 s\n"},
    };
    for (const auto& [terminal, shown] : cases) {
        std::ostringstream out;
        {
            cli::WaitProgress progress(out, terminal, 30);
            for (const int seconds : {10, 10, 15, 20, 31}) {
                progress.show("upgrade", seconds);
            }
            progress.show("settings", 0);
        }
        EXPECT_EQ(out.str(), shown) << terminal;
    }
}

// One logger's line in a run over many: why it failed, or what differs rather than the message,
// and what the logger keeps otherwise than given.
TEST(ConfigureCommandProgress, SummaryLines) {
    cli::Outcome o;
    o.where = "/media/b";
    o.exitCode = 3;
    o.message = "the drive is full";
    EXPECT_EQ(cli::summaryLine(o), "/media/b  serial unknown  failed: the drive is full");
    o.exitCode = 5;
    o.differences = {{"unit", "celsius", "fahrenheit"}, {"device-name", "a", "b"}};
    o.adjusted = {{"high-temp", "9.27", "9.25", "the logger keeps 0.05 °C steps"}};
    EXPECT_EQ(cli::summaryLine(o),
              "/media/b  serial unknown  differs: unit, device-name; "
              "high-temp 9.27 → 9.25 (the logger keeps 0.05 °C steps)");
}

}  // namespace
}  // namespace veltra::test
