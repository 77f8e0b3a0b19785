#include "cli/SettingNotes.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "cli/Profile.h"
#include "cli/SettingOptions.h"
#include "core/HostCharset.h"
#include "settings/AlarmTemperatures.h"
#include "settings/NumberText.h"

namespace veltra::cli {

namespace {

using enum ValidationCheck;

// A decimal with as many places as the logger's steps need, but no trailing zeros past one.
std::string decimalText(double value, int places) {
    std::string text = formatText("%.*f", places, value);
    while (text.size() > 2 && text.back() == '0' && text[text.size() - 2] != '.') {
        text.pop_back();
    }
    return text == "-0.0" ? "0.0" : text;
}

// A temperature of the record (1/20 °C) in the unit that the logger shows.
double inUnit(std::int16_t steps, bool fahrenheit) {
    const double celsius = steps / double{TempStepsPerDegree};
    return fahrenheit ? celsiusToFahrenheit(celsius) : celsius;
}

// What each check is about: the option, and what it takes.
struct CheckTopic {
    ValidationCheck check;
    std::string_view option;  // without dashes
    const char* takes;        // after the value
};

constexpr CheckTopic topics[] = {
    {StartDelay, "time-delay", "is outside 0 to 1440 minutes"},
    {SampleInterval, "sampling-interval", "is outside 1 to 86400 seconds"},
    {ChannelMode, "channel", "is none of temperature, humidity or both"},
    {TemperatureUnit, "unit", "is none of celsius or fahrenheit"},
    {Fahrenheit, "unit", "is not for this logger: it shows celsius only"},
    {TemperatureChannel, "channel", "is not for this logger: it has no temperature sensor"},
    {HumidityChannel, "channel", "is not for this logger: it has no humidity sensor"},
    {PdfLanguage, "pdf-language", "is none of english or chinese"},
    {HighTemp, "high-temp", nullptr},
    {LowTemp, "low-temp", nullptr},
    {TempOrder, "high-temp", nullptr},
    {HighHumidity, "high-humidity", "is outside 0 to 100 %RH"},
    {LowHumidity, "low-humidity", "is outside 0 to 100 %RH"},
    {HumidityOrder, "high-humidity", nullptr},
    {AlarmLed, "alarm-led", "is outside 0 to 60 seconds"},
    {RecordLed, "record-led", "is outside 0 to 60 seconds"},
    {DeviceNameEmpty, "device-name", "is empty; it takes 1 to 20 bytes"},
    {DeviceNameTooLong, "device-name", "is too long; it takes 1 to 20 bytes"},
    {WebsiteTooLong, "website", "is too long; it takes up to 50 bytes"},
    {WebsiteBytes, "website",
     "holds a character that a website may not; it takes printable ASCII, tab, line ends and "
     "\u00A1 \u00A8 \u00AE \u00B0 \u00BA"},
    {UserInfoTooLong, "user-info", "is too long; it takes up to 100 bytes"},
    {TrademarkTooLong, "trademark", "is too long; it takes up to 20 bytes"},
};

// The setting and its value as the user named it: the option, the plan's column, the
// profile's key, or the logger's own value when none gave it.
std::string named(std::string_view key, const std::string& shown, const GivenSettings& given) {
    const SettingOption& option = *findSetting(key);
    const auto at = given.values.find(option.name);
    const std::string& value = at == given.values.end() ? shown : at->second;
    const std::string text = option.kind == SettingKind::Text
                                 ? nlohmann::json(hostTextToUtf8Lossy(value)).dump()
                                 : value;
    if (at == given.values.end()) {
        return std::string(key) + " " + text + " (the logger's own)";
    }
    if (given.fromPlan.contains(option.name)) {
        return "the plan's \"" + std::string(key) + "\" " + text + " on line " +
               std::to_string(given.planLine);
    }
    if (given.fromProfile.contains(option.name)) {
        return "the profile's \"" + std::string(key) + "\" " + text;
    }
    return std::string(option.name) + " " + text;
}

}  // namespace

std::vector<Adjustment> adjustments(const LoggerParameters& p, const GivenSettings& given) {
    const bool fahrenheit = p.temperatureUnit == 1;
    const struct {
        std::string_view option;
        double stored;
        int places;
    } alarms[] = {
        {"--high-temp", inUnit(p.highTempAlarm, fahrenheit), 2},
        {"--low-temp", inUnit(p.lowTempAlarm, fahrenheit), 2},
        {"--high-humidity", p.highHumidityAlarm / double{HumidityStepsPerPercent}, 1},
        {"--low-humidity", p.lowHumidityAlarm / double{HumidityStepsPerPercent}, 1},
    };
    std::vector<Adjustment> found;
    for (const auto& alarm : alarms) {
        const auto at = given.values.find(alarm.option);
        if (at == given.values.end() || std::fabs(decimalValue(at->second) - alarm.stored) < 1e-9) {
            continue;
        }
        const bool humidity = alarm.places == 1;
        std::string note =
            humidity ? "the logger keeps 0.1 %RH steps" : "the logger keeps 0.05 \u00B0C steps";
        if (fahrenheit && !humidity) {
            note += ": " + decimalText(fahrenheitToCelsius(alarm.stored), 2) + " \u00B0C";
        }
        found.push_back({std::string(alarm.option.substr(2)), at->second,
                         decimalText(alarm.stored, alarm.places), note});
    }
    return found;
}

std::string adjustmentText(const Adjustment& a) {
    return a.name + " " + a.given + " \u2192 " + a.stored + " (" + a.note + ")";
}

std::string describeRefusal(const ValidationFailure& failure, const LoggerParameters& collected,
                            const DialogValues& entered, const DeviceInfo& info,
                            const GivenSettings& given) {
    const CheckTopic* topic = nullptr;
    for (const CheckTopic& t : topics) {
        topic = t.check == failure.check ? &t : topic;
    }
    if (topic == nullptr) {
        return {};
    }
    SettingWords shown = settingWords(collected);
    // The texts as they were entered, at their full length.
    const std::pair<const char*, const std::string*> texts[] = {
        {"device-name", &entered.deviceNameText},
        {"website", &entered.websiteText},
        {"user-info", &entered.userInfoText},
        {"trademark", &entered.trademarkText}};
    auto shownValue = [&](std::string_view key) {
        for (const auto& [name, text] : texts) {
            if (key == name) {
                return *text;
            }
        }
        for (const auto& [name, value] : shown) {
            if (key == name) {
                return value;
            }
        }
        return std::string();
    };
    auto describe = [&](std::string_view key) { return named(key, shownValue(key), given); };

    std::string text = describe(topic->option) + " ";
    if (failure.check == HighTemp || failure.check == LowTemp) {
        const bool fahrenheit = collected.temperatureUnit == 1;
        const double from = info.tempRangeMin / double{RangeStepsPerDegree};
        const double to = info.tempRangeMax / double{RangeStepsPerDegree};
        text += formatText("is outside %.1f to %.1f %s, the logger's sensor range",
                           fahrenheit ? celsiusToFahrenheit(from) : from,
                           fahrenheit ? celsiusToFahrenheit(to) : to,
                           fahrenheit ? "\u00B0F" : "\u00B0C");
    } else if (failure.check == TempOrder || failure.check == HumidityOrder) {
        text += "is below " + describe(failure.check == TempOrder ? "low-temp" : "low-humidity");
    } else {
        text += topic->takes;
    }
    return text;
}

}  // namespace veltra::cli
