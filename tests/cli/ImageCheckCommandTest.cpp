#include <gtest/gtest.h>

#include <csignal>
#include <nlohmann/json.hpp>

#include "cli/CliRun.h"
#include "support/TempFolder.h"

namespace veltra::test {
namespace {

const std::string sample = std::string(VELTRA_TEST_DATA_DIR) + "/sample-dat.src";

TEST(InspectCommand, ReportsEveryFieldOfAnAcceptedImage) {
    const Outcome result = runCli({"inspect", "--json", sample});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json["accepted"], true);
    const nlohmann::json device = {
        {"firmwareVersion", 37}, {"firmwareRevision", 2},    {"capabilityFlags", 0xE1},
        {"tempSampleBits", 12},  {"memoryCapacity", 262144}, {"deviceSerial", 20170901},
        {"tempRangeMax", 850},   {"tempRangeMin", -400},
    };
    EXPECT_EQ(json["device"], device);
    const auto parameters = nlohmann::json::parse(R"({
        "pdfLanguage": 0, "temperatureUnit": 0, "startDelay": 3600, "sampleInterval": 60,
        "highTempAlarm": 160, "lowTempAlarm": 40, "highHumidityAlarm": 800,
        "lowHumidityAlarm": 100, "channelMode": 3, "dateFormat": 2, "utcOffsetHours": 8,
        "utcOffsetMinutes": 0, "alarmLedFlash": 10, "recordLedFlash": 10,
        "deviceName": "LAB-FRIDGE-07", "deviceId": "TH-2017-0901", "website": "www.example.com",
        "userInfo": "Cold chain, bay 3", "trademark": "Veltra"})");
    EXPECT_EQ(json["parameters"], parameters);

    // The text shows every field, the settings in the words and units that configure takes.
    const std::string text = runCli({"inspect", sample}).out;
    EXPECT_EQ(text, sample + ": accepted\n" + readText(VELTRA_TEST_DATA_DIR "/sample-dat.txt"));
    EXPECT_NE(runCli({"inspect", sample, "b"}).err.find("not expected: b"), std::string::npos);
}

TEST(InspectCommand, RefusalsAndUnreadableFiles) {
    TempFolder folder;
    auto make = [&](const char* name, std::size_t size) {
        const auto path = folder.path() / name;
        std::ofstream(path, std::ios::binary) << std::string(size, '\x01');
        return path.string();
    };
    const struct {
        std::string file;
        int exitCode;
        const char* reason;
    } cases[] = {
        {make("odd", 639), 1, "not a multiple of 4"},
        {make("empty", 0), 1, "empty"},
        {make("sum", 640), 1, "checksum"},
        {(folder.path() / "none").string(), 1, "cannot find"},
        {folder.path().string(), 1, "holds no DAT.SRC"},
    };
    for (const auto& c : cases) {
        const Outcome json = runCli({"inspect", "--json", c.file});
        EXPECT_EQ(json.exitCode, c.exitCode) << c.file;
        const Outcome plain = runCli({"inspect", c.file});
        EXPECT_EQ(plain.exitCode, c.exitCode) << c.file;
        EXPECT_NE(plain.err.find(c.reason), std::string::npos) << plain.err;
        if (!json.out.empty()) {  // a refused image; no file is no image to judge
            const auto parsed = nlohmann::json::parse(json.out);
            EXPECT_EQ(parsed["accepted"], false);
            EXPECT_NE(parsed["reason"].get<std::string>().find(c.reason), std::string::npos);
        }
    }
}

// A simulated logger is what its options say, the defaults a logger of the common family; its
// serial is the last number in its folder's name, or one that a name without digits always gives.
TEST(SimulateCommand, TheLoggerIsWhatItsOptionsSay) {
    const struct {
        const char* folder;
        std::vector<std::string> options;
        nlohmann::json device;
    } cases[] = {
        {"bench", {}, {37, 2, 0xE1, 12, 262144, 6953, 850, -400}},
        {"x7y-0009",
         {"--firmware-version", "36", "--firmware-revision", "1", "--capabilities", "97",
          "--temp-sample-bits", "10", "--memory", "4096", "--range-min", "-300", "--range-max",
          "700"},
         {36, 1, 97, 10, 4096, 9, 700, -300}},
    };
    const char* names[] = {"firmwareVersion", "firmwareRevision", "capabilityFlags",
                           "tempSampleBits",  "memoryCapacity",   "deviceSerial",
                           "tempRangeMax",    "tempRangeMin"};
    for (const auto& c : cases) {
        TempFolder work;
        const auto drive = work.path() / c.folder, copy = work.path() / "DAT.SRC";
        std::vector<std::string> argv = {VELTRA_CLI, "simulate", drive.string()};
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        runBounded(argv, std::chrono::seconds(20), [&](pid_t pid) {
            std::error_code error;  // taken once the logger has written its image (one write)
            const auto size = std::filesystem::file_size(drive / "DAT.SRC", error);
            if (!error && size > 0 && std::filesystem::copy_file(drive / "DAT.SRC", copy, error)) {
                ::kill(pid, SIGTERM);
            }
        });
        const auto json = nlohmann::json::parse(runCli({"inspect", "--json", copy.string()}).out);
        for (std::size_t i = 0; i < std::size(names); ++i) {
            EXPECT_EQ(json["device"][names[i]], c.device[i]) << c.folder << " " << names[i];
        }
    }
    // A file where its folder should be is refused at once.
    EXPECT_EQ(runCli({"simulate", sample}).exitCode, 2);
}

}  // namespace
}  // namespace veltra::test
