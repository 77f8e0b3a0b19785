#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "settings/Validation.h"
#include "support/StateFixture.h"
#include "ui/ParameterBinding.h"

namespace veltra {
namespace {

using test::Shown;

// Each row changes the logger's settings and what is expected back.
TEST(ParameterBinding, UnchangedSettingsGoBackAsTheyCame) {
    using P = LoggerParameters;
    const std::function<void(P & device, P & sent)> cases[] = {
        [](P&, P&) {},
        [](P& d, P& e) { d.startDelay = 90, e.startDelay = 60; },  // whole minutes only
        [](P& d, P& e) { d.highTempAlarm = e.highTempAlarm = -55; },
        [](P& d, P& e) { d.lowHumidityAlarm = e.lowHumidityAlarm = 1; },
        [](P& d, P&) { d.utcOffsetMinutes = 30; },  // -03:30 with a positive minute
        // A zone, PDF language, unit or date format without an entry in its list.
        [](P& d, P& e) {
            d.utcOffsetHours = 5, d.utcOffsetMinutes = 45;
            e.utcOffsetHours = e.utcOffsetMinutes = 0;
        },
        [](P& d, P& e) { d.pdfLanguage = 5, e.pdfLanguage = 255; },
        [](P& d, P& e) { d.temperatureUnit = 2, e.temperatureUnit = 255; },
        [](P& d, P& e) { d.dateFormat = 3, e.dateFormat = 255; },
        // An unrecorded channel's fields keep the values the window opened with; an unknown
        // mode is shown as temperature.
        [](P& d, P& e) {
            d.channelMode = e.channelMode = 2, e.highTempAlarm = 160, e.lowTempAlarm = 40;
        },
        [](P& d, P& e) {
            d.channelMode = 7;
            e.channelMode = 1, e.highHumidityAlarm = 800, e.lowHumidityAlarm = 100;
        },
        [](P& d, P& e) { d.website[0] = e.website[0] = 0, d.userInfo[0] = e.userInfo[0] = 0; },
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        P device = test::sampleParameters(), expected = device;
        cases[i](device, expected);
        Shown f(device);
        // With the host in the selected zone, the clock is the host's time when collected.
        f.state.clockState.hostUtcOffset = f.state.clockState.selectedUtcOffset;
        f.host.setTime({2024, 2, 29, 19, 31, 0});
        expected.clock = {24, 2, 29, 19, 31, 0};
        EXPECT_EQ(f.collect(), expected) << i;
    }
}

TEST(ParameterBinding, FillShowsTheSettingsInTheControls) {
    LoggerParameters device = test::sampleParameters();
    device.startDelay = 3600;
    device.highTempAlarm = -55;
    Shown f(device);
    const std::pair<ControlId, const char*> texts[] = {
        {ControlId::TimeDelay, "60"},
        {ControlId::SamplingInterval, "60"},
        {ControlId::RecordLedFlash, "12"},
        {ControlId::AlarmLedFlash, "45"},
        {ControlId::UserInfo, "Batch 7"},
        {ControlId::DeviceId, "ID-never-written-123"},
        {ControlId::DeviceName, "Cold room"},
        {ControlId::Trademark, "TRADEMARK-20-BYTES!!"},
        {ControlId::Website, "www.example.com"},
        {ControlId::HighHumidityAlarm, "75.0"},
        {ControlId::LowHumidityAlarm, "25.0"},
    };
    std::vector<ControlId> inOrder;
    for (const auto& [id, text] : texts) {
        EXPECT_EQ(f.controls.text(id), text) << toInt(id);
        inOrder.push_back(id);
    }
    EXPECT_EQ(f.controls.refreshed(), inOrder);
    EXPECT_DOUBLE_EQ(f.state.alarmTemperatures.highAlarmFahrenheit, 27.05);
    EXPECT_EQ(f.state.pendingEvents, UnitChanged | ChannelChanged);
    EXPECT_EQ(f.controls.selection(ControlId::DateFormat), 2);
}

TEST(ParameterBinding, ChannelCapabilityDecidesTheChannelList) {
    // Capability flags and channel mode read, the mode and list entry shown, whether it is open.
    const std::tuple<std::uint8_t, std::uint8_t, std::uint8_t, int, bool> cases[] = {
        {0x00, 2, 2, 1, true},  {0x00, 3, 3, 2, true},  {0x20, 3, 1, 0, false},
        {0x20, 2, 1, 0, false}, {0x40, 1, 2, 1, false}, {0x40, 3, 2, 1, false},
        {0x60, 3, 3, 2, true},  {0x60, 9, 9, 0, true},  {0x9F, 2, 2, 1, true},
    };
    for (const auto& [flags, mode, shownMode, index, enabled] : cases) {
        Shown f;
        f.state.deviceInfo.capabilityFlags = flags;
        f.state.deviceParams.channelMode = mode;
        fillControls(f.state);
        SCOPED_TRACE(testing::Message() << "flags " << int(flags) << " mode " << int(mode));
        EXPECT_EQ(f.state.editParams.channelMode, shownMode);
        EXPECT_EQ(f.state.dialogValues.channelIndex, index);
        EXPECT_EQ(f.controls.selection(ControlId::ChannelSelection), index);
        EXPECT_EQ(f.controls.isEnabled(ControlId::ChannelSelection), enabled);
    }
}

// Each text typed reaches its own field; one longer than its field is cut at the field, never
// written past it. Numbers are read as far as they go and kept in the field's steps.
TEST(ParameterBinding, TypedTextsReachTheirOwnFields) {
    using enum ControlId;
    Shown f;
    const std::pair<ControlId, const char*> typed[] = {
        {DeviceName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"},
        {UserInfo, "Batch 8"},
        {Website, "lab.example"},
        {Trademark, "TM"},
        {DeviceId, "ID-2"},
        {TimeDelay, "12abc"},
        {HighHumidityAlarm, "55.55"},
        {LowHumidityAlarm, "-5"},
        {RecordLedFlash, "-1"},
    };
    for (const auto& [id, text] : typed) {
        f.controls.setText(id, text);
    }
    f.state.alarmTemperatures.highAlarmCelsius = fahrenheitToCelsius(46.4);
    const LoggerParameters& p = f.collect();
    EXPECT_EQ(std::string(p.deviceName.begin(), p.deviceName.end()), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(fieldText(p.userInfo), "Batch 8");
    EXPECT_EQ(fieldText(p.website), "lab.example");
    EXPECT_EQ(fieldText(p.trademark), "TM");
    const std::string id(p.deviceId.begin(), p.deviceId.end());
    EXPECT_EQ(id, std::string("ID-2\0ver-written-123", 20));
    EXPECT_EQ(p.startDelay, 720);
    EXPECT_EQ(p.highHumidityAlarm, 555);
    EXPECT_EQ(p.lowHumidityAlarm, 65486);  // small negatives keep their low 16 bits
    EXPECT_EQ(p.recordLedFlash, 65535);
    EXPECT_EQ(p.highTempAlarm, 159);  // 7.99999 degrees, cut toward zero
}

}  // namespace
}  // namespace veltra
