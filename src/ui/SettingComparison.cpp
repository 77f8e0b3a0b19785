#include "ui/SettingComparison.h"

#include <cstdlib>

#include "core/HostCharset.h"
#include "settings/AlarmTemperatures.h"
#include "settings/NumberText.h"
#include "settings/ParameterConversions.h"
#include "ui/DialogTemplate.h"

namespace veltra {

namespace {

using Id = ControlId;
using Shown = std::string (*)(const LoggerParameters&);

constexpr std::size_t NamedAtMost = 5;

std::string number(int value) {
    return std::to_string(value);
}

// A list's entry, or the logger's value itself when no entry stands for it.
std::string entry(ControlId list, int index) {
    const auto entries = listEntries(list);
    return index >= 0 && static_cast<std::size_t>(index) < entries.size()
               ? std::string(entries[static_cast<std::size_t>(index)])
               : number(index);
}

// In the unit the record selects, with the digits that tell two of the logger's 1/20 degree
// steps apart.
std::string temperature(const LoggerParameters& p, std::int16_t alarm) {
    const double celsius = alarm / double{TempStepsPerDegree};
    std::string text =
        formatText("%.2f", p.temperatureUnit == 1 ? celsiusToFahrenheit(celsius) : celsius);
    if (text.ends_with('0')) {
        text.pop_back();
    }
    return text;
}

std::string humidity(std::uint16_t alarm) {
    return formatText("%0.1f", alarm / double{HumidityStepsPerPercent});
}

std::string zone(const LoggerParameters& p) {
    const int offset = joinUtcOffset(p.utcOffsetHours, p.utcOffsetMinutes);
    const int size = std::abs(offset);
    return formatText("UTC%c%02d:%02d", offset < 0 ? '-' : '+', size / 60, size % 60);
}

template <std::size_t Width>
std::string text(const TextField<Width>& field) {
    return hostTextToUtf8Lossy(fieldText(field));
}

// Every setting that is written, as the window shows it.
constexpr std::pair<ControlId, Shown> settings[] = {
    {Id::TimeDelay,
     [](const LoggerParameters& p) { return number(p.startDelay / SecondsPerMinute); }},
    {Id::SamplingInterval, [](const LoggerParameters& p) { return number(p.sampleInterval); }},
    {Id::ChannelSelection,
     [](const LoggerParameters& p) {
         return entry(Id::ChannelSelection, channelIndexFromMode(p.channelMode));
     }},
    {Id::TemperatureUnit,
     [](const LoggerParameters& p) { return entry(Id::TemperatureUnit, p.temperatureUnit); }},
    {Id::HighTempAlarm, [](const LoggerParameters& p) { return temperature(p, p.highTempAlarm); }},
    {Id::LowTempAlarm, [](const LoggerParameters& p) { return temperature(p, p.lowTempAlarm); }},
    {Id::HighHumidityAlarm,
     [](const LoggerParameters& p) { return humidity(p.highHumidityAlarm); }},
    {Id::LowHumidityAlarm, [](const LoggerParameters& p) { return humidity(p.lowHumidityAlarm); }},
    {Id::AlarmLedFlash, [](const LoggerParameters& p) { return number(p.alarmLedFlash); }},
    {Id::RecordLedFlash, [](const LoggerParameters& p) { return number(p.recordLedFlash); }},
    {Id::PdfLanguage,
     [](const LoggerParameters& p) { return entry(Id::PdfLanguage, p.pdfLanguage); }},
    {Id::DateFormat, [](const LoggerParameters& p) { return entry(Id::DateFormat, p.dateFormat); }},
    {Id::TimeZone, zone},
    {Id::DeviceName, [](const LoggerParameters& p) { return text(p.deviceName); }},
    {Id::Website, [](const LoggerParameters& p) { return text(p.website); }},
    {Id::UserInfo, [](const LoggerParameters& p) { return text(p.userInfo); }},
    {Id::Trademark, [](const LoggerParameters& p) { return text(p.trademark); }},
};

}  // namespace

std::vector<SettingDifference> compareSettings(const LoggerParameters& written,
                                               const LoggerParameters& reported) {
    std::vector<SettingDifference> differences;
    for (const auto& [control, shown] : settings) {
        std::string before = shown(written);
        std::string after = shown(reported);
        if (before != after) {
            differences.push_back({control, std::move(before), std::move(after)});
        }
    }
    return differences;
}

std::string notTakenMessage(std::span<const SettingDifference> differences) {
    std::string message = "The logger did not take these settings: ";
    for (std::size_t i = 0; i < differences.size() && i < NamedAtMost; ++i) {
        const SettingDifference& d = differences[i];
        message += (i == 0 ? "" : ", ") + std::string(controlName(d.control)) + " (written \"" +
                   d.written + "\", reported \"" + d.reported + "\")";
    }
    if (differences.size() > NamedAtMost) {
        message += ", and " + number(static_cast<int>(differences.size() - NamedAtMost)) + " more";
    }
    return message;
}

}  // namespace veltra
