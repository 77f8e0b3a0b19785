#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "settings/Validation.h"
#include "support/StateFixture.h"
#include "ui/ParameterBinding.h"

namespace veltra {
namespace {

// Valid settings as collected from the window, for the sample logger.
struct Collected : test::Shown {
    Collected() { collect(); }
    LoggerParameters& p() { return state.editParams; }
    DialogValues& v() { return state.dialogValues; }
    // The logger lacks a capability and runs the given firmware.
    void lack(std::uint8_t flag, std::uint8_t version = 48) {
        state.deviceInfo.capabilityFlags &= static_cast<std::uint8_t>(~flag);
        state.deviceInfo.firmwareVersion = version;
    }
};
using C = Collected;

// The messages of the checks, in their order (0: every check passes).
constexpr const char* Row[] = {
    "",
    "Delay time must be in the range of 0 to 1440 minutes!",
    "Sample interval must be in the range of 1 second to 1440 minutes!",
    "Channel Selected parameter error!",
    "Temperature unit error!",
    "Tish device don't support Fahrenheit unit!",
    "The device don't support temperature channel!",
    "The device don't support humidity channel!",
    "Pdf language error!",
    ("The hight temperature alarm limit must be in the range of-40.0\xE2\x84\x83 to "
     "85.0\xE2\x84\x83"),
    "The low temperature alarm limit must be in the range of-40.0\xE2\x84\x83 to 85.0\xE2\x84\x83",
    "Low temperature alarm must be lower then High temperature alarm",
    "Hight humidity alarm limit must be in the range of 0% to 100%",
    "Low humidity alarm limit must be in the range of 0% to 100%",
    "Low humidity alarm must be lower then hight humidity alarm",
    "Alarm LED flash Cycle must be in the range of 0 to 60 seconds!",
    "Record LED flash Cycle must be in the range of 0 to 60 seconds!",
    "Device name can't be empty!",
    "Device name is too long!",
    "Website is too long!",
    "There are some invalid characters in Website!",
    "User-defined information is too long",
    "Trademark is too long",
};

// The sample settings with one value changed, and the row each value gives.
template <typename S, typename T,
          typename V = std::conditional_t<std::is_arithmetic_v<T>, long long, T>>
void expectRows(T S::*field, std::initializer_list<std::pair<V, int>> cases) {
    for (const auto& [value, row] : cases) {
        SCOPED_TRACE(value);
        Collected f;
        if constexpr (std::is_same_v<S, DialogValues>) {
            f.v().*field = static_cast<T>(value);
        } else {
            f.p().*field = static_cast<T>(value);
        }
        EXPECT_EQ(f.validationFailure(), Row[row]);
        EXPECT_EQ(f.failedCheck(), row);  // the check that the command line names
    }
}

TEST(Validation, EachCheckHasItsBoundsAndMessage) {
    using P = LoggerParameters;
    using D = DialogValues;
    expectRows(&P::startDelay, {{0, 0}, {86400, 0}, {86401, 1}, {-60, 1}});
    expectRows(&P::sampleInterval, {{0, 2}, {1, 0}, {86400, 0}, {86401, 2}});
    expectRows(&P::channelMode, {{0, 3}, {4, 3}});
    expectRows(&P::temperatureUnit, {{2, 4}, {255, 4}});  // 255: no unit selected
    expectRows(&D::pdfLanguageIndex, {{-1, 8}, {0, 0}, {2, 8}, {256, 8}});
    // The sensor's -40.0 to 85.0 degrees in 1/20 degree; the low alarm is at -800.
    expectRows(&P::highTempAlarm, {{1700, 0}, {1701, 9}, {-801, 9}, {-800, 0}});
    expectRows(&P::lowTempAlarm, {{-801, 10}, {1701, 10}, {500, 0}, {501, 11}});
    expectRows(&P::highHumidityAlarm, {{1000, 0}, {1001, 12}, {250, 0}, {249, 14}});
    expectRows(&P::lowHumidityAlarm, {{1001, 13}, {1000, 14}});
    expectRows(&P::alarmLedFlash, {{60, 0}, {61, 15}});
    expectRows(&P::recordLedFlash, {{60, 0}, {61, 16}});
    const std::string w50(50, 'w');
    // The name takes any bytes; the website only the allowed ones; lengths count bytes.
    expectRows(
        &D::deviceNameText,
        {{"", 17}, {std::string(20, 'n'), 0}, {std::string(21, 'n'), 18}, {"\xC4\xE3\x7F\x01", 0}});
    expectRows(&D::websiteText, {{"", 0},
                                 {w50, 0},
                                 {w50 + "w", 19},
                                 {"www.\x7F", 20},
                                 {std::string("ab\0d", 4), 20},
                                 {"25\xB0 C\t\r\n", 0},
                                 {"www.\x80" + w50, 20},
                                 {w50 + "\x80", 19}});
    expectRows(&D::userInfoText,
               {{"", 0}, {std::string(100, '\xC4'), 0}, {std::string(101, 'u'), 21}});
    expectRows(&D::trademarkText, {{"", 0}, {std::string(21, 't'), 22}});
}

TEST(Validation, CapabilitiesChannelsAndOrder) {
    const std::pair<std::function<void(C&)>, int> cases[] = {
        {[](C& c) { c.lack(SupportsFahrenheit); }, 5},
        {[](C& c) { c.lack(SupportsFahrenheit, 35); }, 5},
        {[](C& c) { c.lack(SupportsFahrenheit), c.p().temperatureUnit = 0; }, 0},
        // Versions before 36 do not report their sensors.
        {[](C& c) { c.lack(HasTemperatureChannel, 36); }, 6},
        {[](C& c) { c.lack(HasTemperatureChannel, 35); }, 0},
        {[](C& c) { c.lack(HasHumidityChannel, 36); }, 7},
        {[](C& c) { c.lack(HasHumidityChannel, 35); }, 0},
        {[](C& c) { c.lack(HasHumidityChannel), c.p().channelMode = 1; }, 0},
        // Only the recorded channels' alarms are checked.
        {[](C& c) { c.p().channelMode = 2, c.p().highTempAlarm = -30000; }, 0},
        {[](C& c) { c.p().channelMode = 1, c.p().lowHumidityAlarm = 65535; }, 0},
        // Both alarms at an end of the sensor's range are within it.
        {[](C& c) { c.p().highTempAlarm = c.p().lowTempAlarm = 1700; }, 0},
        {[](C& c) { c.p().highTempAlarm = c.p().lowTempAlarm = -800; }, 0},
        // The first failing check wins.
        {[](C& c) { c.p().highHumidityAlarm = c.p().lowHumidityAlarm = 1001; }, 12},
        {[](C& c) { c.p().startDelay = -1, c.p().sampleInterval = 0; }, 1},
        {[](C& c) { c.p().channelMode = 0, c.p().temperatureUnit = 9; }, 3},
        {[](C& c) { c.p().channelMode = 2, c.p().highTempAlarm = 5000, c.p().alarmLedFlash = 61; },
         15},
        {[](C& c) { c.v().deviceNameText = "", c.v().websiteText = std::string(60, '\x80'); }, 17},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        Collected f;
        cases[i].first(f);
        EXPECT_EQ(f.validationFailure(), Row[cases[i].second]);
    }
}

// A typed value that does not fit its field is held out of range instead of wrapping into a
// valid one: "71582789" minutes would wrap to 4 s, "6553.7"% to 0.1%, "65596" s to 60 s and
// 3277 degrees Celsius (the temperature alarms' unit here) to 0.2 degrees.
TEST(Validation, TypedOverflowsAreRefused) {
    using enum ControlId;
    const std::tuple<ControlId, int, std::vector<const char*>> cases[] = {
        {TimeDelay, 1, {"1441", "-1", "71582789", "-71582789", "99999999999999999999"}},
        {SamplingInterval, 2, {"4294967297"}},
        {HighHumidityAlarm, 12, {"6553.7", "nan", "1e300"}},
        {LowHumidityAlarm, 13, {"-6553.6", "-inf"}},
        {AlarmLedFlash, 15, {"65596"}},
        {RecordLedFlash, 16, {"-1", "-65536"}},
        {HighTempAlarm, 9, {"3277", "nan", "-inf"}},
        {LowTempAlarm, 10, {"-3277", "inf"}},
    };
    for (const auto& [id, row, texts] : cases) {
        for (const char* text : texts) {
            SCOPED_TRACE(text);
            test::Shown f;
            AlarmTemperatures& alarms = f.state.alarmTemperatures;
            if (id == HighTempAlarm || id == LowTempAlarm) {
                (id == HighTempAlarm ? alarms.highAlarmCelsius : alarms.lowAlarmCelsius) =
                    std::strtod(text, nullptr);
            } else {
                f.controls.setText(id, text);
            }
            f.collect();
            EXPECT_EQ(f.validationFailure(), Row[row]);
        }
    }
}

TEST(Validation, AllowedTextBytesArePrintableAsciiAndEightMore) {
    const std::string special = "\t\n\r\xA1\xA8\xAE\xB0\xBA";
    for (int byte = 0; byte < 256; ++byte) {
        const bool expected = (byte >= 0x20 && byte <= 0x7E) ||
                              special.find(static_cast<char>(byte)) != std::string::npos;
        EXPECT_EQ(AllowedTextBytes::contains(static_cast<std::uint8_t>(byte)), expected) << byte;
    }
}

}  // namespace
}  // namespace veltra
