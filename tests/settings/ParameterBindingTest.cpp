#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <string>

#include "settings/ParameterBinding.h"
#include "settings/Validation.h"
#include "support/ProgramFixture.h"

namespace veltra {
namespace {

using test::ProgramFixture;

// A window that shows the logger's settings, as after a newly read DAT.SRC.
struct Shown : ProgramFixture {
    explicit Shown(const LoggerParameters& device = test::sampleParameters()) {
        program.dialogValues.writeTo(controls);  // as the window opens
        program.deviceParams = device;
        program.editParams = {};
        fillControls(program);
    }
    const LoggerParameters& collect() {
        collectParameters(program);
        return program.editParams;
    }
};

TEST(ParameterBinding, UnchangedSettingsGoBackAsTheyCame) {
    const struct {
        const char* what;
        std::function<void(LoggerParameters&)> change;
        std::function<void(LoggerParameters&)> sent;  // what differs on the way back
    } cases[] = {
        {"sample", [](LoggerParameters&) {}, [](LoggerParameters&) {}},
        {"delay not in whole minutes", [](LoggerParameters& p) { p.startDelay = 90; },
         [](LoggerParameters& p) { p.startDelay = 60; }},
        {"negative alarm", [](LoggerParameters& p) { p.highTempAlarm = -55; },
         [](LoggerParameters&) {}},
        {"lowest humidity step", [](LoggerParameters& p) { p.lowHumidityAlarm = 1; },
         [](LoggerParameters&) {}},
        {"zone -05:30",
         [](LoggerParameters& p) { p.utcOffsetHours = -5, p.utcOffsetMinutes = -30; },
         [](LoggerParameters&) {}},
        {"zone -05:30 with a positive minute",
         [](LoggerParameters& p) { p.utcOffsetHours = -5, p.utcOffsetMinutes = 30; },
         [](LoggerParameters& p) { p.utcOffsetMinutes = -30; }},
        {"zone +05:45 has no entry",
         [](LoggerParameters& p) { p.utcOffsetHours = 5, p.utcOffsetMinutes = 45; },
         [](LoggerParameters& p) { p.utcOffsetHours = 0, p.utcOffsetMinutes = 0; }},
        {"no PDF language entry", [](LoggerParameters& p) { p.pdfLanguage = 5; },
         [](LoggerParameters& p) { p.pdfLanguage = 255; }},
        {"no unit entry", [](LoggerParameters& p) { p.temperatureUnit = 2; },
         [](LoggerParameters& p) { p.temperatureUnit = 255; }},
        {"no date format entry", [](LoggerParameters& p) { p.dateFormat = 3; },
         [](LoggerParameters& p) { p.dateFormat = 255; }},
        {"unknown channel mode", [](LoggerParameters& p) { p.channelMode = 7; },
         [](LoggerParameters& p) {
             // Shown as temperature: the humidity fields keep the texts the window opened with.
             p.channelMode = 1, p.highHumidityAlarm = 800, p.lowHumidityAlarm = 100;
         }},
        {"empty texts", [](LoggerParameters& p) { p.website[0] = 0, p.userInfo[0] = 0; },
         [](LoggerParameters&) {}},
    };
    for (const auto& c : cases) {
        LoggerParameters device = test::sampleParameters();
        c.change(device);
        Shown f(device);
        LoggerParameters expected = device;
        c.sent(expected);
        // With the host in the selected zone, the clock is the host's time.
        f.program.clockState.hostUtcOffset = f.program.clockState.selectedUtcOffset;
        expected.clock = {24, 2, 29, 19, 30, 15};
        EXPECT_EQ(f.collect(), expected) << c.what;
    }
}

TEST(ParameterBinding, FillShowsTheSettingsInTheControls) {
    LoggerParameters device = test::sampleParameters();
    device.startDelay = 3600;
    device.highTempAlarm = -55;
    Shown f(device);
    const struct {
        ControlId id;
        const char* text;
    } texts[] = {
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
    for (const auto& t : texts) {
        EXPECT_EQ(f.controls.text(t.id), t.text) << toInt(t.id);
    }
    EXPECT_EQ(f.controls.refreshed(),
              (std::vector<ControlId>{
                  ControlId::TimeDelay, ControlId::SamplingInterval, ControlId::RecordLedFlash,
                  ControlId::AlarmLedFlash, ControlId::UserInfo, ControlId::DeviceId,
                  ControlId::DeviceName, ControlId::Trademark, ControlId::Website,
                  ControlId::HighHumidityAlarm, ControlId::LowHumidityAlarm}));
    const AlarmTemperatures& a = f.program.alarmTemperatures;
    EXPECT_DOUBLE_EQ(a.highAlarmCelsius, -2.75);
    EXPECT_DOUBLE_EQ(a.highAlarmFahrenheit, 27.05);
    EXPECT_DOUBLE_EQ(a.lowAlarmCelsius, -40.0);
    EXPECT_DOUBLE_EQ(a.lowAlarmFahrenheit, -40.0);
    EXPECT_EQ(f.program.pendingEvents, UnitChanged | ChannelChanged);
    EXPECT_EQ(f.program.clockState.selectedUtcOffset, -210);
    const DialogValues& v = f.program.dialogValues;
    EXPECT_EQ(v.pdfLanguageIndex, 1);
    EXPECT_EQ(v.unitIndex, 1);
    EXPECT_EQ(v.dateFormatIndex, 2);
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
        ProgramFixture f;
        f.program.deviceInfo.capabilityFlags = c.flags;
        f.program.deviceParams = device;
        fillControls(f.program);
        SCOPED_TRACE(testing::Message() << "flags " << int(c.flags) << " mode " << int(c.mode));
        EXPECT_EQ(f.program.editParams.channelMode, c.shownMode);
        EXPECT_EQ(f.program.dialogValues.channelIndex, c.index);
        EXPECT_EQ(f.controls.selection(ControlId::ChannelSelection), c.index);
        EXPECT_EQ(f.controls.isEnabled(ControlId::ChannelSelection), c.enabled);
    }
}

TEST(ParameterBinding, UnrecordedChannelKeepsItsPreviousValues) {
    LoggerParameters device = test::sampleParameters();
    device.channelMode = 2;  // humidity only: the temperature alarms stay as they were
    ProgramFixture f;
    f.program.alarmTemperatures.highAlarmCelsius = 12.5;
    f.program.deviceParams = device;
    fillControls(f.program);
    EXPECT_DOUBLE_EQ(f.program.alarmTemperatures.highAlarmCelsius, 12.5);
    EXPECT_EQ(f.program.pendingEvents, ChannelChanged);
    EXPECT_EQ(f.controls.text(ControlId::HighHumidityAlarm), "75.0");

    device.channelMode = 1;  // temperature only: the humidity texts stay as they were
    f.controls.setText(ControlId::HighHumidityAlarm, "33");
    f.program.deviceParams = device;
    fillControls(f.program);
    EXPECT_EQ(f.controls.text(ControlId::HighHumidityAlarm), "33");
    EXPECT_DOUBLE_EQ(f.program.alarmTemperatures.highAlarmCelsius, 25.0);
}

// One control changed after the fill, then collected and checked.
TEST(ParameterBinding, TypedValuesAreScaledAndOverflowsRefused) {
    constexpr const char* Delay = "Delay time must be in the range of 0 to 1440 minutes!";
    constexpr const char* Interval =
        "Sample interval must be in the range of 1 second to 1440 minutes!";
    constexpr const char* HighHumidity =
        "Hight humidity alarm limit must be in the range of 0% to 100%";
    constexpr const char* LowHumidity =
        "Low humidity alarm limit must be in the range of 0% to 100%";
    constexpr const char* HighTemp =
        "The hight temperature alarm limit must be in the range of-40.0\u2103 to 85.0\u2103";
    constexpr const char* LowTemp =
        "The low temperature alarm limit must be in the range of-40.0\u2103 to 85.0\u2103";
    constexpr const char* AlarmLed =
        "Alarm LED flash Cycle must be in the range of 0 to 60 seconds!";
    constexpr const char* RecordLed =
        "Record LED flash Cycle must be in the range of 0 to 60 seconds!";
    const auto type = [](ControlId id, const char* text) {
        return [=](Shown& f) { f.controls.setText(id, text); };
    };
    const auto celsius = [](double high, double low) {
        return [=](Shown& f) {
            f.program.alarmTemperatures.highAlarmCelsius = high;
            f.program.alarmTemperatures.lowAlarmCelsius = low;
        };
    };
    const struct {
        const char* what;
        std::function<void(Shown&)> edit;
        std::function<long long(const LoggerParameters&)> field;
        long long value;  // ignored when below -(2^40)
        const char* message;
    } cases[] = {
        {"delay abc", type(ControlId::TimeDelay, "abc"), [](auto& p) { return p.startDelay; }, 0,
         ""},
        {"delay 12abc", type(ControlId::TimeDelay, "12abc"), [](auto& p) { return p.startDelay; },
         720, ""},
        {"delay 1440", type(ControlId::TimeDelay, "1440"), [](auto& p) { return p.startDelay; },
         86400, ""},
        {"delay 1441", type(ControlId::TimeDelay, "1441"), [](auto& p) { return p.startDelay; },
         86460, Delay},
        {"delay -1", type(ControlId::TimeDelay, "-1"), [](auto& p) { return p.startDelay; }, -60,
         Delay},
        {"delay wrapping to 4 s", type(ControlId::TimeDelay, "71582789"),
         [](auto& p) { return p.startDelay; }, INT32_MAX, Delay},
        {"delay wrapping to -4 s", type(ControlId::TimeDelay, "-71582789"),
         [](auto& p) { return p.startDelay; }, INT32_MIN, Delay},
        {"delay beyond int", type(ControlId::TimeDelay, "99999999999999999999"),
         [](auto& p) { return p.startDelay; }, INT32_MAX, Delay},
        {"interval wrapping to 1", type(ControlId::SamplingInterval, "4294967297"),
         [](auto& p) { return p.sampleInterval; }, INT32_MAX, Interval},
        {"interval 0", type(ControlId::SamplingInterval, "0"),
         [](auto& p) { return p.sampleInterval; }, 0, Interval},
        {"humidity 55.55", type(ControlId::HighHumidityAlarm, "55.55"),
         [](auto& p) { return p.highHumidityAlarm; }, 555, ""},
        {"humidity -5", type(ControlId::LowHumidityAlarm, "-5"),
         [](auto& p) { return p.lowHumidityAlarm; }, 65486, LowHumidity},
        {"humidity wrapping to 1", type(ControlId::HighHumidityAlarm, "6553.7"),
         [](auto& p) { return p.highHumidityAlarm; }, -(1LL << 41), HighHumidity},
        {"humidity wrapping to 0", type(ControlId::LowHumidityAlarm, "-6553.6"),
         [](auto& p) { return p.lowHumidityAlarm; }, -(1LL << 41), LowHumidity},
        {"humidity nan", type(ControlId::HighHumidityAlarm, "nan"),
         [](auto& p) { return p.highHumidityAlarm; }, -(1LL << 41), HighHumidity},
        {"humidity -inf", type(ControlId::LowHumidityAlarm, "-inf"),
         [](auto& p) { return p.lowHumidityAlarm; }, -(1LL << 41), LowHumidity},
        {"humidity 1e300", type(ControlId::HighHumidityAlarm, "1e300"),
         [](auto& p) { return p.highHumidityAlarm; }, -(1LL << 41), HighHumidity},
        {"46.4 F typed", celsius(fahrenheitToCelsius(46.4), 2.0),
         [](auto& p) { return p.highTempAlarm; }, 159, ""},
        {"-55 in 1/20", celsius(-2.75, -2.75), [](auto& p) { return p.lowTempAlarm; }, -55, ""},
        {"3277 C wrapping to 0.2 C", celsius(3277.0, 2.0), [](auto& p) { return p.highTempAlarm; },
         -(1LL << 41), HighTemp},
        {"-3277 C wrapping to -0.2 C", celsius(8.0, -3277.0),
         [](auto& p) { return p.lowTempAlarm; }, -(1LL << 41), LowTemp},
        {"nan alarm", celsius(std::nan(""), 2.0), [](auto& p) { return p.highTempAlarm; },
         -(1LL << 41), HighTemp},
        {"inf alarm", celsius(8.0, HUGE_VAL), [](auto& p) { return p.lowTempAlarm; }, -(1LL << 41),
         LowTemp},
        {"-inf alarm", celsius(-HUGE_VAL, 2.0), [](auto& p) { return p.highTempAlarm; },
         -(1LL << 41), HighTemp},
        {"LED wrapping to 60", type(ControlId::AlarmLedFlash, "65596"),
         [](auto& p) { return p.alarmLedFlash; }, -(1LL << 41), AlarmLed},
        {"LED -1", type(ControlId::RecordLedFlash, "-1"), [](auto& p) { return p.recordLedFlash; },
         65535, RecordLed},
        {"LED wrapping to 0", type(ControlId::RecordLedFlash, "-65536"),
         [](auto& p) { return p.recordLedFlash; }, -(1LL << 41), RecordLed},
    };
    for (const auto& c : cases) {
        Shown f;
        c.edit(f);
        const LoggerParameters& p = f.collect();
        if (c.value > -(1LL << 40)) {
            EXPECT_EQ(c.field(p), c.value) << c.what;
        }
        EXPECT_EQ(firstValidationFailure(f.program), c.message) << c.what;
    }
}

TEST(ParameterBinding, CollectedZoneIsSplitWithItsSign) {
    const struct {
        std::int32_t minutes;
        int hours;
        int rest;
    } cases[] = {{-330, -5, -30}, {-30, 0, -30}, {330, 5, 30}, {0, 0, 0}, {-720, -12, 0}};
    for (const auto& c : cases) {
        Shown f;
        f.program.clockState.selectedUtcOffset = c.minutes;
        const LoggerParameters& p = f.collect();
        EXPECT_EQ(p.utcOffsetHours, c.hours) << c.minutes;
        EXPECT_EQ(p.utcOffsetMinutes, c.rest) << c.minutes;
    }
}

TEST(ParameterBinding, LongDeviceNameStaysInsideItsField) {
    Shown f;
    f.controls.setText(ControlId::DeviceName, "ABCDEFGHIJKLMNOPQRSTUVWXY");  // 25 bytes
    const LoggerParameters& p = f.collect();
    EXPECT_EQ(std::string(p.deviceName.begin(), p.deviceName.end()), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(p.deviceId, test::sampleParameters().deviceId);
    EXPECT_EQ(firstValidationFailure(f.program), "Device name is too long!");
}

TEST(ParameterBinding, CopyTextFieldKeepsTheBytesBehindTheText) {
    const struct {
        std::string text;
        std::string field;  // the 8-byte field afterwards; its guard bytes stay '#'
    } cases[] = {
        {"abc", std::string("abc\0xxxx", 8)},
        {"", std::string("\0xxxxxxx", 8)},
        {"abcdefg", std::string("abcdefg\0", 8)},
        {"abcdefgh", "abcdefgh"},
        {"abcdefghij", "abcdefgh"},
        {std::string("a\0b", 3), std::string("a\0b\0xxxx", 8)},
    };
    for (const auto& c : cases) {
        std::string buffer = "#xxxxxxxx#";
        copyTextField(std::span(reinterpret_cast<std::uint8_t*>(buffer.data()) + 1, 8), c.text);
        EXPECT_EQ(buffer, "#" + c.field + "#") << c.text;
    }
}

TEST(ParameterBinding, ChannelListIndexAsChannelMode) {
    const std::pair<int, int> cases[] = {{0, 1}, {1, 2}, {2, 3}, {3, 1}, {255, 1}};
    for (auto [index, mode] : cases) {
        EXPECT_EQ(channelModeFromIndex(static_cast<std::uint8_t>(index)), mode) << index;
    }
}

}  // namespace
}  // namespace veltra
