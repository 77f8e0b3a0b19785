#include <gtest/gtest.h>

#include <fstream>

#include "cli/PlanResolver.h"
#include "cli/Profile.h"
#include "support/SampleSettings.h"
#include "support/TempFolder.h"

namespace veltra::test {
namespace {

using cli::GivenSettings;

// The row of a logger's serial wins over the profile and the options over both; {serial} and
// {n} are replaced wherever a text came from, and a text that they make too long is refused.
TEST(PlanResolver, ResolvesEachLoggersSettings) {
    TempFolder folder;
    const std::string path = (folder.path() / "plan.csv").string();
    std::ofstream(path, std::ios::binary) << "serial,device-name,high-temp,user-info\r\n"
                                             "1001,Room {serial},30,row\r\n"
                                             "1002,\"Bay {n}, \"\"north\"\"\",31,row\r\n"
                                             "4294967295,{serial} {n},32,row\r\n";
    auto plan = std::make_shared<cli::Plan>();
    ASSERT_EQ(plan->load(path), "");
    GivenSettings given;
    given.values = {{"--user-info", "option {n}"},
                    {"--trademark", "{serial}-{serial}"},
                    {"--device-name", "profile {serial}"},
                    {"--high-temp", "20"}};
    given.fromProfile = {"--device-name", "--high-temp"};
    const struct {
        std::uint32_t serial;
        int n;
        bool missingTakesRest;
        const char* deviceName;  // null: left alone
        const char* highTemp;
        const char* refusal = "";
    } cases[] = {
        {1001, 1, false, "Room 1001", "30"},
        {1002, 2, false, "Bay 2, \"north\"", "31"},
        {1003, 3, false, nullptr, nullptr},
        {1003, 3, true, "profile 1003", "20"},
        {4294967295, 9, false, nullptr, nullptr,
         "--trademark \"{serial}-{serial}\" is \"4294967295-4294967295\" for serial 4294967295, "
         "longer than its 20 bytes"},
        {4294967295, 1234567890, false, nullptr, nullptr,
         "line 4, column device-name: \"{serial} {n}\" is \"4294967295 1234567890\" for serial "
         "4294967295, logger 1234567890, longer than its 20 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.serial);
        const cli::LoggerSettings got =
            cli::PlanResolver(given, plan, c.missingTakesRest)(c.serial, c.n);
        EXPECT_NE(got.refusal.find(c.refusal), std::string::npos) << got.refusal;
        if (*c.refusal != '\0') {
            continue;
        }
        EXPECT_EQ(got.notInPlan, c.deviceName == nullptr);
        if (c.deviceName != nullptr) {
            EXPECT_EQ(got.settings.values.at("--device-name"), c.deviceName);
            EXPECT_EQ(got.settings.values.at("--high-temp"), c.highTemp);
            EXPECT_EQ(got.settings.values.at("--user-info"), "option " + std::to_string(c.n));
            EXPECT_EQ(got.settings.fromProfile.contains("--high-temp"), c.missingTakesRest);
        }
    }
}

// A profile holds the alarms (and unit) of the channels recorded, a one-sensor logger's channel.
TEST(Profile, KeepsTheAlarmsOfTheChannelsRecorded) {
    const std::uint8_t both = HasTemperatureChannel | HasHumidityChannel;
    // The sensors, the record's channel mode, and the profile's channel and keys of both kinds.
    const std::tuple<std::uint8_t, std::uint8_t, const char*, const char*> cases[] = {
        {both, 1, "temperature", "unit low-temp"},
        {both, 2, "humidity", "low-humidity"},
        {both, 3, "both", "unit low-temp low-humidity"},
        {HasTemperatureChannel, 3, "temperature", "unit low-temp"},
        {HasHumidityChannel, 1, "humidity", "low-humidity"},
    };
    for (const auto& [sensors, mode, channel, keys] : cases) {
        DeviceInfo info = sampleDeviceInfo();
        info.capabilityFlags = ParametersPresent | sensors;
        LoggerParameters p = sampleParameters();
        p.channelMode = mode;
        const auto profile = cli::profileOf(info, p);
        EXPECT_EQ(profile["channel"], channel);
        std::string kept;
        for (const char* key : {"unit", "low-temp", "low-humidity"}) {
            kept += profile.contains(key) ? std::string(kept.empty() ? "" : " ") + key : "";
        }
        EXPECT_EQ(kept, keys) << channel << " of sensors " << int(sensors);
    }
}

}  // namespace
}  // namespace veltra::test
