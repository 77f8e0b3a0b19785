#include <gtest/gtest.h>

#include "cli/Profile.h"
#include "support/SampleSettings.h"

namespace veltra::test {
namespace {

// A profile holds the alarms of the channels the logger records (the unit with the
// temperature's), and the channel a logger of one sensor is fixed to, whatever its record says.
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
