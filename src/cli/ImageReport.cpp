#include "cli/ImageReport.h"

#include "cli/Profile.h"
#include "core/HostCharset.h"
#include "settings/NumberText.h"

namespace veltra::cli {

nlohmann::ordered_json deviceJson(const DeviceInfo& info) {
    return {
        {"firmwareVersion", info.firmwareVersion}, {"firmwareRevision", info.firmwareRevision},
        {"capabilityFlags", info.capabilityFlags}, {"tempSampleBits", info.tempSampleBits},
        {"memoryCapacity", info.memoryCapacity},   {"deviceSerial", info.deviceSerial},
        {"tempRangeMax", info.tempRangeMax},       {"tempRangeMin", info.tempRangeMin},
    };
}

nlohmann::ordered_json parametersJson(const LoggerParameters& p) {
    auto text = [](const auto& field) { return hostTextToUtf8Lossy(fieldText(field)); };
    return {
        {"pdfLanguage", p.pdfLanguage},
        {"temperatureUnit", p.temperatureUnit},
        {"startDelay", p.startDelay},
        {"sampleInterval", p.sampleInterval},
        {"highTempAlarm", p.highTempAlarm},
        {"lowTempAlarm", p.lowTempAlarm},
        {"highHumidityAlarm", p.highHumidityAlarm},
        {"lowHumidityAlarm", p.lowHumidityAlarm},
        {"channelMode", p.channelMode},
        {"dateFormat", p.dateFormat},
        {"utcOffsetHours", p.utcOffsetHours},
        {"utcOffsetMinutes", p.utcOffsetMinutes},
        {"alarmLedFlash", p.alarmLedFlash},
        {"recordLedFlash", p.recordLedFlash},
        {"deviceName", text(p.deviceName)},
        {"deviceId", text(p.deviceId)},
        {"website", text(p.website)},
        {"userInfo", text(p.userInfo)},
        {"trademark", text(p.trademark)},
    };
}

namespace {

std::string yesNo(bool value) {
    return value ? "yes" : "no";
}

}  // namespace

std::string readableReport(const DeviceInfo& info, const LoggerParameters& p) {
    std::string out;
    auto line = [&out](const std::string& label, const std::string& value) {
        out += formatText("  %-22s %s\n", label.c_str(), value.c_str());
    };
    out += "Device\n";
    line("firmware",
         formatText("version %u, revision %u", info.firmwareVersion, info.firmwareRevision));
    line("serial number", formatText("%u", info.deviceSerial));
    line("capability flags", formatText("0x%02X", info.capabilityFlags));
    line("temperature sensor", yesNo(info.has(HasTemperatureChannel)));
    line("humidity sensor", yesNo(info.has(HasHumidityChannel)));
    line("Fahrenheit", yesNo(info.has(SupportsFahrenheit)));
    line("settings reported", yesNo(info.has(ParametersPresent)));
    line("memory", formatText("%u bytes, %u bits per temperature sample", info.memoryCapacity,
                              info.tempSampleBits));
    line("sensor range", formatText("%.1f to %.1f degrees Celsius", info.tempRangeMin / 10.0,
                                    info.tempRangeMax / 10.0));
    line("device id", hostTextToUtf8Lossy(fieldText(p.deviceId)));
    // The settings in the words and units that configure takes, under the window's labels.
    const std::string temperatureUnit = p.temperatureUnit == 1 ? "Fahrenheit" : "Celsius";
    const struct {
        const char* label;
        std::string unit;
    } labels[] = {
        {"Time Delay", "min"},
        {"Sampling Interval", "s"},
        {"Channel", ""},
        {"Temperature Unit", ""},
        {"High Temp Alarm", temperatureUnit},
        {"Low Temp Alarm", temperatureUnit},
        {"High Humidity Alarm", "%RH"},
        {"Low Humidity Alarm", "%RH"},
        {"Alarm LED Flash", "s"},
        {"Record LED Flash", "s"},
        {"PDF Language", ""},
        {"Date Format", ""},
        {"Time Zone", ""},
        {"Device Name", ""},
        {"Website", ""},
        {"User-define Info", ""},
        {"Trademark", ""},
    };
    const SettingWords words = settingWords(p);
    static_assert(std::size(labels) == 17);
    out += "Settings\n";
    for (std::size_t i = 0; i < words.size() && i < std::size(labels); ++i) {
        const std::string& unit = labels[i].unit;
        line(labels[i].label, words[i].second + (unit.empty() ? "" : " " + unit));
    }
    return out;
}

}  // namespace veltra::cli
