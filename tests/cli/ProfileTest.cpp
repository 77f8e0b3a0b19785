#include <gtest/gtest.h>

#include "cli/Profile.h"
#include "support/SampleSettings.h"

namespace veltra::test {
namespace {

// A profile holds the alarms of the channels the logger records, and the channel a logger of
// one sensor is fixed to, whatever its record says.
TEST(Profile, KeepsTheAlarmsOfTheChannelsRecorded) {
    const std::uint8_t both = HasTemperatureChannel | HasHumidityChannel;
    const struct {
        std::uint8_t sensors, channelMode;
        const char* channel;
        bool temperature, humidity;
    } cases[] = {
        {both, 1, "temperature", true, false},
        {both, 2, "humidity", false, true},
        {both, 3, "both", true, true},
        {HasTemperatureChannel, 3, "temperature", true, false},
        {HasHumidityChannel, 1, "humidity", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << &c - cases + 1);
        DeviceInfo info = sampleDeviceInfo();
        info.capabilityFlags = ParametersPresent | c.sensors;
        LoggerParameters p = sampleParameters();
        p.channelMode = c.channelMode;
        const auto profile = cli::profileOf(info, p);
        EXPECT_EQ(profile["channel"], c.channel);
        for (const char* key : {"unit", "high-temp", "low-temp"}) {
            EXPECT_EQ(profile.contains(key), c.temperature) << key;
        }
        for (const char* key : {"high-humidity", "low-humidity"}) {
            EXPECT_EQ(profile.contains(key), c.humidity) << key;
        }
        EXPECT_TRUE(profile.contains("device-name"));
    }
}

}  // namespace
}  // namespace veltra::test
