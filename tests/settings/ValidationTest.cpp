#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "settings/Validation.h"
#include "support/ProgramFixture.h"

namespace veltra {
namespace {

// Valid settings as collected from the window, for the sample logger.
struct Collected : test::ProgramFixture {
    Collected() {
        DialogValues& v = program.dialogValues;
        v.pdfLanguageIndex = 1;
        v.deviceNameText = "Cold room";
        v.websiteText = "www.example.com";
        v.userInfoText = "Batch 7";
        v.trademarkText = "TRADEMARK-20-BYTES!!";
    }
    LoggerParameters& p() { return program.editParams; }
    DialogValues& v() { return program.dialogValues; }
    DeviceInfo& info() { return program.deviceInfo; }
};

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
    "The hight temperature alarm limit must be in the range of-40.0\xE2\x84\x83 to "
    "85.0\xE2\x84\x83",
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

struct Case {
    const char* what;
    std::function<void(Collected&)> arrange;
    int row;  // 0: every check passes
};

const Case checkCases[] = {
    {"sample settings", [](Collected&) {}, 0},
    // 1
    {"delay 1440 minutes", [](Collected& c) { c.p().startDelay = 86400; }, 0},
    {"delay 0", [](Collected& c) { c.p().startDelay = 0; }, 0},
    {"delay 1441 minutes", [](Collected& c) { c.p().startDelay = 86460; }, 1},
    {"delay 86401 s", [](Collected& c) { c.p().startDelay = 86401; }, 1},
    {"negative delay", [](Collected& c) { c.p().startDelay = -60; }, 1},
    {"most negative delay", [](Collected& c) { c.p().startDelay = INT32_MIN; }, 1},
    // 2
    {"interval 0", [](Collected& c) { c.p().sampleInterval = 0; }, 2},
    {"interval 1", [](Collected& c) { c.p().sampleInterval = 1; }, 0},
    {"interval 86400", [](Collected& c) { c.p().sampleInterval = 86400; }, 0},
    {"interval 86401", [](Collected& c) { c.p().sampleInterval = 86401; }, 2},
    {"negative interval", [](Collected& c) { c.p().sampleInterval = -1; }, 2},
    // 3
    {"channel 0", [](Collected& c) { c.p().channelMode = 0; }, 3},
    {"channel 4", [](Collected& c) { c.p().channelMode = 4; }, 3},
    {"channel 255", [](Collected& c) { c.p().channelMode = 255; }, 3},
    // 4, 5
    {"no unit selected", [](Collected& c) { c.p().temperatureUnit = 255; }, 4},
    {"unit 2", [](Collected& c) { c.p().temperatureUnit = 2; }, 4},
    {"Fahrenheit unsupported",
     [](Collected& c) {
         c.info().capabilityFlags &= static_cast<std::uint8_t>(~SupportsFahrenheit);
     },
     5},
    {"Fahrenheit unsupported on version 35",
     [](Collected& c) {
         c.info().firmwareVersion = 35;
         c.info().capabilityFlags &= static_cast<std::uint8_t>(~SupportsFahrenheit);
     },
     5},
    {"Celsius without Fahrenheit support",
     [](Collected& c) {
         c.p().temperatureUnit = 0;
         c.info().capabilityFlags &= static_cast<std::uint8_t>(~SupportsFahrenheit);
     },
     0},
    // 6, 7
    {"no temperature sensor, version 36",
     [](Collected& c) {
         c.info().firmwareVersion = 36;
         c.info().capabilityFlags &= static_cast<std::uint8_t>(~HasTemperatureChannel);
     },
     6},
    {"no temperature sensor, version 35",
     [](Collected& c) {
         c.info().firmwareVersion = 35;
         c.info().capabilityFlags &= static_cast<std::uint8_t>(~HasTemperatureChannel);
     },
     0},
    {"no humidity sensor, version 36",
     [](Collected& c) {
         c.info().firmwareVersion = 36;
         c.info().capabilityFlags &= static_cast<std::uint8_t>(~HasHumidityChannel);
     },
     7},
    {"no humidity sensor, version 35",
     [](Collected& c) {
         c.info().firmwareVersion = 35;
         c.info().capabilityFlags &= static_cast<std::uint8_t>(~HasHumidityChannel);
     },
     0},
    {"no humidity sensor, temperature recorded",
     [](Collected& c) {
         c.p().channelMode = 1;
         c.info().capabilityFlags &= static_cast<std::uint8_t>(~HasHumidityChannel);
     },
     0},
    // 8
    {"no PDF language", [](Collected& c) { c.v().pdfLanguageIndex = -1; }, 8},
    {"PDF language 2", [](Collected& c) { c.v().pdfLanguageIndex = 2; }, 8},
    {"PDF language 0", [](Collected& c) { c.v().pdfLanguageIndex = 0; }, 0},
    {"PDF language 256", [](Collected& c) { c.v().pdfLanguageIndex = 256; }, 8},
    // 9, 10, 11
    {"whole sensor range",
     [](Collected& c) { c.p().highTempAlarm = 1700, c.p().lowTempAlarm = -800; }, 0},
    {"high 1701", [](Collected& c) { c.p().highTempAlarm = 1701; }, 9},
    {"high -801", [](Collected& c) { c.p().highTempAlarm = -801; }, 9},
    {"low -801", [](Collected& c) { c.p().lowTempAlarm = -801; }, 10},
    {"low 1701", [](Collected& c) { c.p().lowTempAlarm = 1701; }, 10},
    {"equal limits", [](Collected& c) { c.p().highTempAlarm = c.p().lowTempAlarm = 100; }, 0},
    {"high one step below low",
     [](Collected& c) { c.p().highTempAlarm = 99, c.p().lowTempAlarm = 100; }, 11},
    {"humidity only: temperatures not checked",
     [](Collected& c) {
         c.p().channelMode = 2;
         c.p().highTempAlarm = -30000, c.p().lowTempAlarm = 30000;
     },
     0},
    // 12, 13, 14
    {"humidity 100.0", [](Collected& c) { c.p().highHumidityAlarm = 1000; }, 0},
    {"humidity 100.1", [](Collected& c) { c.p().highHumidityAlarm = 1001; }, 12},
    {"low humidity 100.1", [](Collected& c) { c.p().lowHumidityAlarm = 1001; }, 13},
    {"negative low humidity", [](Collected& c) { c.p().lowHumidityAlarm = 65486; }, 13},
    {"both humidities 100.1",
     [](Collected& c) { c.p().highHumidityAlarm = c.p().lowHumidityAlarm = 1001; }, 12},
    {"equal humidities",
     [](Collected& c) { c.p().highHumidityAlarm = c.p().lowHumidityAlarm = 500; }, 0},
    {"high humidity below low",
     [](Collected& c) { c.p().highHumidityAlarm = 499, c.p().lowHumidityAlarm = 500; }, 14},
    {"temperature only: humidities not checked",
     [](Collected& c) {
         c.p().channelMode = 1;
         c.p().highHumidityAlarm = 0, c.p().lowHumidityAlarm = 65535;
     },
     0},
    // 15, 16
    {"alarm LED 60", [](Collected& c) { c.p().alarmLedFlash = 60; }, 0},
    {"alarm LED 61", [](Collected& c) { c.p().alarmLedFlash = 61; }, 15},
    {"alarm LED -1", [](Collected& c) { c.p().alarmLedFlash = 65535; }, 15},
    {"record LED 60", [](Collected& c) { c.p().recordLedFlash = 60; }, 0},
    {"record LED 61", [](Collected& c) { c.p().recordLedFlash = 61; }, 16},
    // 17, 18
    {"empty name", [](Collected& c) { c.v().deviceNameText = ""; }, 17},
    {"name of 20 bytes", [](Collected& c) { c.v().deviceNameText = std::string(20, 'n'); }, 0},
    {"name of 21 bytes", [](Collected& c) { c.v().deviceNameText = std::string(21, 'n'); }, 18},
    {"name with any bytes", [](Collected& c) { c.v().deviceNameText = "\xC4\xE3\x7F\x01"; }, 0},
    // 19, 20
    {"empty website", [](Collected& c) { c.v().websiteText = ""; }, 0},
    {"website of 50 bytes", [](Collected& c) { c.v().websiteText = std::string(50, 'w'); }, 0},
    {"website of 51 bytes", [](Collected& c) { c.v().websiteText = std::string(51, 'w'); }, 19},
    {"website with DEL", [](Collected& c) { c.v().websiteText = "www.\x7F"; }, 20},
    {"website with 0xC4", [](Collected& c) { c.v().websiteText = "\xC4"; }, 20},
    {"website with degree sign", [](Collected& c) { c.v().websiteText = "25\xB0 C\t\r\n"; }, 0},
    {"long website, fifth byte forbidden",
     [](Collected& c) {
         c.v().websiteText = "www." + std::string(1, '\x80') + std::string(55, 'w');
     },
     20},
    {"long website, 51st byte forbidden",
     [](Collected& c) { c.v().websiteText = std::string(50, 'w') + "\x80"; }, 19},
    // 21, 22
    {"info of 100 double-byte bytes",
     [](Collected& c) {
         c.v().userInfoText.clear();
         for (int i = 0; i < 50; ++i) {
             c.v().userInfoText += "\xC4\xE3";
         }
     },
     0},
    {"info of 101 bytes", [](Collected& c) { c.v().userInfoText = std::string(101, 'u'); }, 21},
    {"empty info", [](Collected& c) { c.v().userInfoText = ""; }, 0},
    {"trademark of 21 bytes", [](Collected& c) { c.v().trademarkText = std::string(21, 't'); }, 22},
    {"empty trademark", [](Collected& c) { c.v().trademarkText = ""; }, 0},
    // The first failing check wins.
    {"delay and interval", [](Collected& c) { c.p().startDelay = -1, c.p().sampleInterval = 0; },
     1},
    {"humidity only, bad temperature, LED 61",
     [](Collected& c) {
         c.p().channelMode = 2;
         c.p().highTempAlarm = 5000;
         c.p().alarmLedFlash = 61;
     },
     15},
    {"everything in the texts",
     [](Collected& c) {
         c.v().deviceNameText = "";
         c.v().websiteText = std::string(60, '\x80');
         c.v().trademarkText = std::string(30, 't');
     },
     17},
    {"channel mode before unit",
     [](Collected& c) { c.p().channelMode = 0, c.p().temperatureUnit = 9; }, 3},
};

TEST(Validation, ChecksRunInOrderWithTheirMessages) {
    for (const Case& c : checkCases) {
        Collected f;
        c.arrange(f);
        EXPECT_EQ(firstValidationFailure(f.program), Row[c.row]) << c.what;
        EXPECT_EQ(validateParameters(f.program), c.row == 0) << c.what;
        if (c.row == 0) {
            EXPECT_TRUE(f.messages().empty()) << c.what;
        } else {
            EXPECT_EQ(f.messages(), std::vector<std::string>{Row[c.row]}) << c.what;
        }
    }
}

TEST(Validation, RangeMessageGivesTheSensorRangeInCelsius) {
    Collected f;
    f.info().tempRangeMin = -205;
    f.info().tempRangeMax = 1250;
    f.p().lowTempAlarm = -411;
    EXPECT_EQ(firstValidationFailure(f.program),
              "The low temperature alarm limit must be in the range of-20.5\xE2\x84\x83 to "
              "125.0\xE2\x84\x83");
    f.p().lowTempAlarm = -410;  // -20.5 degrees: at the end of the range
    EXPECT_EQ(firstValidationFailure(f.program), "");
}

TEST(Validation, TextFieldCheck) {
    const struct {
        std::string text;
        std::size_t width;
        bool checkBytes;
        TextCheck result;
    } cases[] = {
        {"", 5, false, TextCheck::Empty},
        {"", 5, true, TextCheck::Empty},
        {"a", 5, true, TextCheck::Fine},
        {"abcde", 5, true, TextCheck::Fine},
        {"abcdef", 5, true, TextCheck::TooLong},
        {"abcd\x80", 5, true, TextCheck::InvalidByte},
        {"abcd\x80", 5, false, TextCheck::Fine},
        {"abcde\x80", 5, true, TextCheck::TooLong},
        {"\x80"
         "bcdef",
         5, true, TextCheck::InvalidByte},
        {std::string("ab\0d", 4), 5, true, TextCheck::InvalidByte},
        {std::string("ab\0d", 4), 5, false, TextCheck::Fine},
        {"x", 0, false, TextCheck::TooLong},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(checkTextField(c.text, c.width, c.checkBytes), c.result)
            << '"' << c.text << "\" width " << c.width;
    }
}

TEST(Validation, AllowedTextBytesAreExactlyThe103) {
    int allowed = 0;
    for (int byte = 0; byte < 256; ++byte) {
        const bool expected = byte == 0x09 || byte == 0x0A || byte == 0x0D ||
                              (byte >= 0x20 && byte <= 0x7E) || byte == 0xA1 || byte == 0xA8 ||
                              byte == 0xAE || byte == 0xB0 || byte == 0xBA;
        EXPECT_EQ(AllowedTextBytes::contains(static_cast<std::uint8_t>(byte)), expected) << byte;
        allowed += AllowedTextBytes::contains(static_cast<std::uint8_t>(byte)) ? 1 : 0;
    }
    EXPECT_EQ(allowed, 103);
}

}  // namespace
}  // namespace veltra
