#include "cli/ImageReport.h"

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

const char* channelName(std::uint8_t mode) {
    switch (mode) {
        case 1:
            return "temperature";
        case 2:
            return "humidity";
        case 3:
            return "temperature and humidity";
        default:
            return "unknown";
    }
}

std::string yesNo(bool value) {
    return value ? "yes" : "no";
}

}  // namespace

std::string readableReport(const DeviceInfo& info, const LoggerParameters& p) {
    auto text = [](const auto& field) { return hostTextToUtf8Lossy(fieldText(field)); };
    std::string out;
    auto line = [&out](const char* label, const std::string& value) {
        out += formatText("  %-22s %s\n", label, value.c_str());
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
    out += "Settings\n";
    line("device name", text(p.deviceName));
    line("device id", text(p.deviceId));
    line("website", text(p.website));
    line("user information", text(p.userInfo));
    line("trademark", text(p.trademark));
    line("start delay", formatText("%d s", p.startDelay));
    line("sampling interval", formatText("%d s", p.sampleInterval));
    line("channels", channelName(p.channelMode));
    line("temperature unit", p.temperatureUnit == 0   ? "Celsius"
                             : p.temperatureUnit == 1 ? "Fahrenheit"
                                                      : formatText("%u", p.temperatureUnit));
    line("temperature alarms",
         formatText("%.2f to %.2f degrees Celsius", p.lowTempAlarm / 20.0, p.highTempAlarm / 20.0));
    line("humidity alarms",
         formatText("%.1f to %.1f %%RH", p.lowHumidityAlarm / 10.0, p.highHumidityAlarm / 10.0));
    line("LED flash", formatText("alarm %u s, record %u s", p.alarmLedFlash, p.recordLedFlash));
    line("PDF language", p.pdfLanguage == 0   ? "English"
                         : p.pdfLanguage == 1 ? "Chinese"
                                              : formatText("%u", p.pdfLanguage));
    line("date format", formatText("%u", p.dateFormat));
    line("time zone", formatText("%d h %d min", p.utcOffsetHours, p.utcOffsetMinutes));
    return out;
}

}  // namespace veltra::cli
