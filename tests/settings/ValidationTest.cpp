#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>

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

// Checks the settings and expects the message of `row` (0: every check passes).
void expectRow(const Collected& f, int row) {
    EXPECT_EQ(f.validationFailure(), Row[row]);
}

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
        expectRow(f, row);
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
    expectRows(&P::lowHumidityAlarm, {{1001, 13}});
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
    const struct {
        const char* what;
        std::function<void(C&)> arrange;
        int row;
    } cases[] = {
        {"Fahrenheit unsupported", [](C& c) { c.lack(SupportsFahrenheit); }, 5},
        {"Fahrenheit unsupported on version 35", [](C& c) { c.lack(SupportsFahrenheit, 35); }, 5},
        {"Celsius", [](C& c) { c.lack(SupportsFahrenheit), c.p().temperatureUnit = 0; }, 0},
        // Versions before 36 do not report their sensors.
        {"no temperature sensor, v36", [](C& c) { c.lack(HasTemperatureChannel, 36); }, 6},
        {"no temperature sensor, v35", [](C& c) { c.lack(HasTemperatureChannel, 35); }, 0},
        {"no humidity sensor, v36", [](C& c) { c.lack(HasHumidityChannel, 36); }, 7},
        {"no humidity sensor, v35", [](C& c) { c.lack(HasHumidityChannel, 35); }, 0},
        {"no humidity, none recorded",
         [](C& c) { c.lack(HasHumidityChannel), c.p().channelMode = 1; }, 0},
        // Only the recorded channels' alarms are checked.
        {"humidity only", [](C& c) { c.p().channelMode = 2, c.p().highTempAlarm = -30000; }, 0},
        {"temperature only", [](C& c) { c.p().channelMode = 1, c.p().lowHumidityAlarm = 65535; },
         0},
        // Both alarms at an end of the sensor's range are within it.
        {"both alarms at 85.0", [](C& c) { c.p().highTempAlarm = c.p().lowTempAlarm = 1700; }, 0},
        {"both alarms at -40.0", [](C& c) { c.p().highTempAlarm = c.p().lowTempAlarm = -800; }, 0},
        // The first failing check wins.
        {"both humidities 100.1",
         [](C& c) { c.p().highHumidityAlarm = c.p().lowHumidityAlarm = 1001; }, 12},
        {"delay and interval", [](C& c) { c.p().startDelay = -1, c.p().sampleInterval = 0; }, 1},
        {"channel mode before unit", [](C& c) { c.p().channelMode = 0, c.p().temperatureUnit = 9; },
         3},
        {"humidity only, bad temperature, LED 61",
         [](C& c) { c.p().channelMode = 2, c.p().highTempAlarm = 5000, c.p().alarmLedFlash = 61; },
         15},
        {"everything in the texts",
         [](C& c) {
             c.v().deviceNameText = "", c.v().websiteText = std::string(60, '\x80');
             c.v().trademarkText = std::string(30, 't');
         },
         17},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Collected f;
        c.arrange(f);
        expectRow(f, c.row);
    }
}

using test::Shown;

struct Typed {
    const char* text;
    std::optional<long long> value;  // none: any value the check refuses
    int row;
};

// Types into one control, collects and checks.
template <typename T>
void expectTyped(ControlId id, T LoggerParameters::*field, std::initializer_list<Typed> cases) {
    for (const Typed& c : cases) {
        SCOPED_TRACE(c.text);
        Shown f;
        f.controls.setText(id, c.text);
        collectParameters(f.state);
        if (c.value) {
            EXPECT_EQ(f.state.editParams.*field, *c.value);
        }
        EXPECT_EQ(f.validationFailure(), Row[c.row]);
    }
}

// A value that does not fit its field is held out of range instead of wrapping into a valid
// one; the "would wrap" values below give 4 s, -4 s, 1 s, 0.1%, 0.0%, 60 s and 0 s.
TEST(Validation, TypedValuesAreScaledAndOverflowsRefused) {
    using P = LoggerParameters;
    const auto Any = std::nullopt;
    expectTyped(ControlId::TimeDelay, &P::startDelay,
                {{"abc", 0, 0},
                 {"12abc", 720, 0},
                 {"1441", 86460, 1},
                 {"-1", -60, 1},
                 {"71582789", INT32_MAX, 1},
                 {"-71582789", INT32_MIN, 1},
                 {"99999999999999999999", INT32_MAX, 1}});
    expectTyped(ControlId::SamplingInterval, &P::sampleInterval, {{"4294967297", INT32_MAX, 2}});
    expectTyped(ControlId::HighHumidityAlarm, &P::highHumidityAlarm,
                {{"55.55", 555, 0}, {"6553.7", Any, 12}, {"nan", Any, 12}, {"1e300", Any, 12}});
    expectTyped(ControlId::LowHumidityAlarm, &P::lowHumidityAlarm,
                {{"-5", 65486, 13}, {"-6553.6", Any, 13}, {"-inf", Any, 13}});
    expectTyped(ControlId::AlarmLedFlash, &P::alarmLedFlash, {{"65596", Any, 15}});
    expectTyped(ControlId::RecordLedFlash, &P::recordLedFlash,
                {{"-1", 65535, 16}, {"-65536", Any, 16}});

    // The temperature alarms come as degrees Celsius and are kept in 1/20 degree.
    const struct {
        double high;
        double low;
        std::optional<long long> highValue;
        std::optional<long long> lowValue;
        int row;
    } alarms[] = {
        {fahrenheitToCelsius(46.4), 2.0, 159, 40, 0},
        {-2.75, -2.75, -55, -55, 0},
        {3277.0, 2.0, Any, 40, 9},  // would wrap to 0.2 degrees
        {8.0, -3277.0, 160, Any, 10},
        {std::nan(""), 2.0, Any, 40, 9},
        {8.0, HUGE_VAL, 160, Any, 10},
        {-HUGE_VAL, 2.0, Any, 40, 9},
    };
    for (const auto& c : alarms) {
        SCOPED_TRACE(testing::Message() << c.high << " " << c.low);
        Shown f;
        f.state.alarmTemperatures.highAlarmCelsius = c.high;
        f.state.alarmTemperatures.lowAlarmCelsius = c.low;
        collectParameters(f.state);
        const LoggerParameters& p = f.state.editParams;
        EXPECT_EQ(c.highValue.value_or(p.highTempAlarm), p.highTempAlarm);
        EXPECT_EQ(c.lowValue.value_or(p.lowTempAlarm), p.lowTempAlarm);
        EXPECT_EQ(f.validationFailure(), Row[c.row]);
    }
}

TEST(Validation, AllowedTextBytesAreExactlyThe103) {
    const std::string special = "\t\n\r\xA1\xA8\xAE\xB0\xBA";
    int allowed = 0;
    for (int byte = 1; byte < 256; ++byte) {
        const bool expected = (byte >= 0x20 && byte <= 0x7E) ||
                              special.find(static_cast<char>(byte)) != std::string::npos;
        EXPECT_EQ(AllowedTextBytes::contains(static_cast<std::uint8_t>(byte)), expected) << byte;
        allowed += expected ? 1 : 0;
    }
    EXPECT_FALSE(AllowedTextBytes::contains(0));
    EXPECT_EQ(allowed, 103);
}

}  // namespace
}  // namespace veltra
