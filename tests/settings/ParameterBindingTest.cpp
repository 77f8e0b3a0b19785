#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "settings/Validation.h"
#include "support/StateFixture.h"
#include "ui/ParameterBinding.h"

namespace veltra {
namespace {

using test::Shown;
using test::StateFixture;

TEST(ParameterBinding, UnchangedSettingsGoBackAsTheyCame) {
    using P = LoggerParameters;
    const struct {
        const char* what;
        // Changes the logger's settings and what is expected back.
        std::function<void(P& device, P& sent)> change;
    } cases[] = {
        {"sample", [](P&, P&) {}},
        {"delay not in whole minutes", [](P& d, P& e) { d.startDelay = 90, e.startDelay = 60; }},
        {"negative alarm", [](P& d, P& e) { d.highTempAlarm = e.highTempAlarm = -55; }},
        {"lowest humidity step", [](P& d, P& e) { d.lowHumidityAlarm = e.lowHumidityAlarm = 1; }},
        {"zone -05:30",
         [](P& d, P& e) {
             d.utcOffsetHours = e.utcOffsetHours = -5;
             d.utcOffsetMinutes = e.utcOffsetMinutes = -30;
         }},
        {"zone -05:30 with a positive minute",
         [](P& d, P& e) { d.utcOffsetHours = e.utcOffsetHours = -5, d.utcOffsetMinutes = 30; }},
        {"zone +05:45 has no entry",
         [](P& d, P& e) {
             d.utcOffsetHours = 5, d.utcOffsetMinutes = 45;
             e.utcOffsetHours = e.utcOffsetMinutes = 0;
         }},
        {"no PDF language entry", [](P& d, P& e) { d.pdfLanguage = 5, e.pdfLanguage = 255; }},
        {"no unit entry", [](P& d, P& e) { d.temperatureUnit = 2, e.temperatureUnit = 255; }},
        {"no date format entry", [](P& d, P& e) { d.dateFormat = 3, e.dateFormat = 255; }},
        // An unrecorded channel's fields keep the values the window opened with; an unknown
        // mode is shown as temperature.
        {"humidity only",
         [](P& d, P& e) {
             d.channelMode = e.channelMode = 2, e.highTempAlarm = 160, e.lowTempAlarm = 40;
         }},
        {"unknown channel mode",
         [](P& d, P& e) {
             d.channelMode = 7;
             e.channelMode = 1, e.highHumidityAlarm = 800, e.lowHumidityAlarm = 100;
         }},
        {"empty texts",
         [](P& d, P& e) { d.website[0] = e.website[0] = 0, d.userInfo[0] = e.userInfo[0] = 0; }},
    };
    for (const auto& c : cases) {
        LoggerParameters device = test::sampleParameters();
        LoggerParameters expected = device;
        c.change(device, expected);
        Shown f(device);
        // With the host in the selected zone, the clock is the host's time.
        f.state.clockState.hostUtcOffset = f.state.clockState.selectedUtcOffset;
        expected.clock = {24, 2, 29, 19, 30, 15};
        EXPECT_EQ(f.collect(), expected) << c.what;
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
    const struct {
        std::uint8_t flags;
        std::uint8_t mode;
        std::uint8_t shownMode;
        int index;
        bool enabled;
    } cases[] = {
        {0x00, 2, 2, 1, true},  {0x00, 3, 3, 2, true},  {0x20, 3, 1, 0, false},
        {0x20, 2, 1, 0, false}, {0x40, 1, 2, 1, false}, {0x40, 3, 2, 1, false},
        {0x60, 3, 3, 2, true},  {0x60, 9, 9, 0, true},  {0x9F, 2, 2, 1, true},
    };
    for (const auto& c : cases) {
        LoggerParameters device = test::sampleParameters();
        device.channelMode = c.mode;
        StateFixture f;
        f.state.deviceInfo.capabilityFlags = c.flags;
        f.state.deviceParams = device;
        fillControls(f.state);
        SCOPED_TRACE(testing::Message() << "flags " << int(c.flags) << " mode " << int(c.mode));
        EXPECT_EQ(f.state.editParams.channelMode, c.shownMode);
        EXPECT_EQ(f.state.dialogValues.channelIndex, c.index);
        EXPECT_EQ(f.controls.selection(ControlId::ChannelSelection), c.index);
        EXPECT_EQ(f.controls.isEnabled(ControlId::ChannelSelection), c.enabled);
    }
}

// Each text typed reaches its own field; one longer than its field is cut at the field, never
// written past it.
TEST(ParameterBinding, TypedTextsReachTheirOwnFields) {
    Shown f;
    f.controls.setText(ControlId::DeviceName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    f.controls.setText(ControlId::UserInfo, "Batch 8");
    f.controls.setText(ControlId::Website, "lab.example");
    f.controls.setText(ControlId::Trademark, "TM");
    f.controls.setText(ControlId::DeviceId, "ID-2");
    const LoggerParameters& p = f.collect();
    EXPECT_EQ(std::string(p.deviceName.begin(), p.deviceName.end()), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(fieldText(p.userInfo), "Batch 8");
    EXPECT_EQ(fieldText(p.website), "lab.example");
    EXPECT_EQ(fieldText(p.trademark), "TM");
    const std::string id(p.deviceId.begin(), p.deviceId.end());
    EXPECT_EQ(id, std::string("ID-2\0ver-written-123", 20));
    EXPECT_EQ(f.validationFailure(), "Device name is too long!");
}

}  // namespace
}  // namespace veltra
