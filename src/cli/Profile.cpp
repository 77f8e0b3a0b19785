#include "cli/Profile.h"

#include <cmath>
#include <functional>
#include <set>

#include "cli/BoundedRead.h"
#include "cli/SettingOptions.h"
#include "core/HostCharset.h"
#include "settings/AlarmTemperatures.h"
#include "settings/NumberText.h"

namespace veltra::cli {

namespace {

constexpr std::uint8_t ChannelFlags = HasTemperatureChannel | HasHumidityChannel;

// The shortest text near `shown` that reads back as `stored` through `store` (the window's
// conversion, which truncates), so that a profile applied elsewhere writes the same record.
std::string exactText(double shown, int stored, const std::function<double(double)>& store) {
    for (int places = 1; places <= 12; ++places) {
        const double step = std::pow(10.0, -places);
        for (const double nudge : {0.0, -step, step}) {
            const std::string text = formatText("%.*f", places, shown + nudge);
            if (static_cast<int>(std::trunc(store(decimalValue(text)))) == stored) {
                return text;
            }
        }
    }
    return formatText("%.12f", shown);
}

// A profile is a few hundred bytes; anything far larger is not one.
constexpr std::size_t MaxProfileBytes = 1 << 20;

std::string word(const std::vector<std::string>& words, std::uint8_t index) {
    return index < words.size() ? words[index] : std::to_string(index);
}

std::string listWord(std::string_view name, std::uint8_t index) {
    return word(listWords(*findSetting(name)), index);
}

std::string channelWord(std::uint8_t mode) {
    return listWord("channel", mode == 2 ? 1 : mode == 3 ? 2 : 0);
}

std::string temperatureText(const LoggerParameters& p, std::int16_t alarm) {
    if (p.temperatureUnit == 1) {
        return exactText(celsiusToFahrenheit(alarm / 20.0), alarm,
                         [](double f) { return fahrenheitToCelsius(f) * 20; });
    }
    return exactText(alarm / 20.0, alarm, [](double c) { return c * 20; });
}

std::string humidityText(std::uint16_t alarm) {
    return exactText(alarm / 10.0, alarm, [](double h) { return h * 10; });
}

std::string zoneText(const LoggerParameters& p) {
    // Rebuilt from its two bytes as the window shows it.
    const int h = p.utcOffsetHours;
    const int m = p.utcOffsetMinutes;
    const int offset = h < 0 && m > 0 ? h * 60 - m : h * 60 + m;
    const int size = std::abs(offset);
    return formatText("UTC%c%02d:%02d", offset < 0 ? '-' : '+', size / 60, size % 60);
}

}  // namespace

SettingWords settingWords(const LoggerParameters& p) {
    auto text = [](const auto& field) { return hostTextToUtf8Lossy(fieldText(field)); };
    return {
        {"time-delay", std::to_string(p.startDelay / 60)},
        {"sampling-interval", std::to_string(p.sampleInterval)},
        {"channel", channelWord(p.channelMode)},
        {"unit", listWord("unit", p.temperatureUnit)},
        {"high-temp", temperatureText(p, p.highTempAlarm)},
        {"low-temp", temperatureText(p, p.lowTempAlarm)},
        {"high-humidity", humidityText(p.highHumidityAlarm)},
        {"low-humidity", humidityText(p.lowHumidityAlarm)},
        {"alarm-led", std::to_string(p.alarmLedFlash)},
        {"record-led", std::to_string(p.recordLedFlash)},
        {"pdf-language", listWord("pdf-language", p.pdfLanguage)},
        {"date-format", listWord("date-format", p.dateFormat)},
        {"time-zone", zoneText(p)},
        {"device-name", text(p.deviceName)},
        {"website", text(p.website)},
        {"user-info", text(p.userInfo)},
        {"trademark", text(p.trademark)},
    };
}

nlohmann::ordered_json profileOf(const DeviceInfo& info, const LoggerParameters& params) {
    // The window fixes the channel of a logger with one sensor and disables the list.
    const std::uint8_t sensors = info.capabilityFlags & ChannelFlags;
    const bool oneSensor = sensors == HasTemperatureChannel || sensors == HasHumidityChannel;
    LoggerParameters p = params;
    if (oneSensor) {
        p.channelMode = sensors == HasTemperatureChannel ? 1 : 2;
    }
    const bool temperature = p.channelMode != 2;
    const bool humidity = p.channelMode == 2 || p.channelMode == 3;
    // The channel and unit are kept even where the logger fixes them: choosing the entry that a
    // disabled list already shows is taken, and another logger then gets the same.
    auto enabled = [&](const std::string& key) {
        if (key == "unit" || key == "high-temp" || key == "low-temp") {
            return temperature;
        }
        if (key == "high-humidity" || key == "low-humidity") {
            return humidity;
        }
        return true;
    };
    nlohmann::ordered_json profile = nlohmann::ordered_json::object();
    for (const auto& [key, value] : settingWords(p)) {
        // A list value that no entry stands for cannot be chosen again.
        const SettingOption* option = findSetting(key);
        const bool chosen = option->kind != SettingKind::List || wordIndex(*option, value) >= 0;
        if (enabled(key) && chosen) {
            profile[key] = value;
        }
    }
    return profile;
}

std::string readProfile(const std::string& path, GivenSettings& settings) {
    const std::string name = path == "-" ? "on standard input" : path;
    std::string content;
    if (const std::string error = readBounded(path, MaxProfileBytes, content); !error.empty()) {
        return "cannot read the profile " + name + ": " + error;
    }
    if (content.size() > MaxProfileBytes) {
        return "cannot read the profile " + name + ": it is larger than 1 MiB, which no profile is";
    }
    // JSON has no raw NUL; the parser would end the input there and ignore what follows.
    if (const auto nul = content.find('\0'); nul != std::string::npos) {
        return "the profile " + name + " is not JSON: it breaks off at byte " +
               std::to_string(nul + 1) + ", a NUL";
    }
    nlohmann::json profile;
    std::set<std::string> keys;
    std::string twice;
    try {
        profile = nlohmann::json::parse(
            content, [&](int depth, nlohmann::json::parse_event_t event, nlohmann::json& parsed) {
                if (event == nlohmann::json::parse_event_t::key && depth == 1 &&
                    !keys.insert(parsed.get<std::string>()).second && twice.empty()) {
                    twice = parsed.get<std::string>();
                }
                return true;
            });
    } catch (const nlohmann::json::parse_error& error) {
        return "the profile " + name + " is not JSON: it breaks off at byte " +
               std::to_string(error.byte);
    }
    if (!profile.is_object()) {
        return "the profile " + name + " is not one JSON object";
    }
    if (!twice.empty()) {
        return "the profile's " + nlohmann::json(twice).dump() + " is given twice";
    }
    std::map<std::string_view, std::string> taken;
    for (const auto& [key, value] : profile.items()) {
        const SettingOption* option = findSetting(key);
        const std::string where = "the profile's " + nlohmann::json(key).dump();
        if (option == nullptr) {
            return where + " is not an option of configure";
        }
        if (!value.is_string()) {
            return where + " is not a text";
        }
        // No field holds a NUL: the logger would end the text there.
        if (value.get<std::string>().find('\0') != std::string::npos) {
            return where + " holds a NUL (\\u0000), which no setting can hold";
        }
        const auto text = utf8ToHostText(value.get<std::string>());
        if (!text) {
            return where + " holds characters that the host's character set has none for";
        }
        if (const std::string refusal = refusalOf(*option, *text); !refusal.empty()) {
            return where + ": " + refusal;
        }
        taken.emplace(option->name, *text);
    }
    for (const auto& [option, value] : taken) {
        if (settings.values.emplace(option, value).second) {  // what the command line gave stays
            settings.fromProfile.insert(option);
        }
    }
    settings.profile = path;
    return {};
}

}  // namespace veltra::cli
