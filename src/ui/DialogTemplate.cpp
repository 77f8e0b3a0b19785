#include "ui/DialogTemplate.h"

#include <array>

#include "ui/Captions.h"

namespace veltra {

namespace {

using enum ControlKind;
using Id = ControlId;

constexpr ControlTemplate mainControls[] = {
    {Id::ConfigureButton, Button, caption::PlugLogger, 236, 142, 67, 25},
    {Id::None, Label, "Time Delay:", 6, 12, 45, 9, nameOf(Id::TimeDelay)},
    {Id::None, Label, "Sampling Interval:", 5, 26, 75, 11, nameOf(Id::SamplingInterval)},
    {Id::None, Label, "Low Temp Alarm:", 16, 82, 61, 11, nameOf(Id::LowTempAlarm)},
    {Id::None, Label, "Low Humidity Alarm:", 7, 110, 77, 12, nameOf(Id::LowHumidityAlarm)},
    {Id::None, Label, "Temperature Unit:", 7, 68, 70, 11, nameOf(Id::TemperatureUnit)},
    {Id::None, Label, "PDF Language:", 170, 124, 52, 10, nameOf(Id::PdfLanguage)},
    {Id::None, Label, "High Temp Alarm:", 12, 96, 66, 10, nameOf(Id::HighTempAlarm)},
    {Id::None, Label, "High Humidity Alarm:", 3, 124, 82, 10, nameOf(Id::HighHumidityAlarm)},
    {Id::HighTempAlarm, Edit, "", 79, 96, 21, 12},
    {Id::LowTempAlarm, Edit, "", 79, 82, 21, 12},
    {Id::None, Label, "Min.", 74, 12, 19, 10, unitOf(Id::TimeDelay)},
    {Id::None, Label, "Sec.", 100, 26, 22, 10, unitOf(Id::SamplingInterval)},
    {Id::TimeDelay, Edit, "", 53, 12, 19, 12},
    {Id::SamplingInterval, Edit, "", 79, 26, 19, 12},
    {Id::HighHumidityAlarm, Edit, "", 83, 124, 18, 12},
    {Id::LowHumidityAlarm, Edit, "", 83, 110, 18, 12},
    {Id::None, Label, "%RH", 103, 124, 22, 10, unitOf(Id::HighHumidityAlarm)},
    {Id::None, Label, "%RH", 103, 110, 22, 10, unitOf(Id::LowHumidityAlarm)},
    {Id::Trademark, Edit, "", 223, 54, 52, 12},
    {Id::None, Label, "Trademark:", 179, 54, 41, 10, nameOf(Id::Trademark)},
    {Id::None, Label, "User-define Info:", 152, 82, 69, 10, nameOf(Id::UserInfo)},
    {Id::None, Label, "Website:", 189, 96, 33, 11, nameOf(Id::Website)},
    {Id::None, Label, "Device Name:", 172, 68, 49, 10, nameOf(Id::DeviceName)},
    {Id::None, Label, "Device ID:", 182, 110, 40, 12, nameOf(Id::DeviceId)},
    {Id::DeviceName, Edit, "", 223, 68, 100, 12},
    {Id::UserInfo, Edit, "", 223, 82, 100, 12},
    {Id::Website, Edit, "", 223, 96, 100, 12},
    {Id::DeviceId, Edit, "", 223, 110, 72, 12, {}, true},
    {Id::TemperatureUnit, ComboBox, "", 79, 67, 50, 35},
    {Id::PdfLanguage, ComboBox, "", 223, 123, 41, 29},
    {Id::RecordingTime, Label, "Longest Recording Time:", 6, 40, 142, 12},
    {Id::HighTempUnit, Label, "Celsius", 102, 96, 44, 9, unitOf(Id::HighTempAlarm)},
    {Id::LowTempUnit, Label, "Celsius", 102, 82, 42, 9, unitOf(Id::LowTempAlarm)},
    {Id::SetupLock, CheckBox, "Setup Lock", 274, 123, 50, 13},
    {Id::ChannelSelection, ComboBox, "", 79, 53, 68, 55},
    {Id::ChannelLabel, Label, "Channel Selection:", 6, 54, 73, 9, nameOf(Id::ChannelSelection)},
    {Id::None, Label, "Time Zone:", 179, 12, 41, 9, nameOf(Id::TimeZone)},
    {Id::TimeZone, ComboBox, "", 222, 11, 46, 121},
    {Id::None, Label, "Date Format:", 171, 40, 49, 10, nameOf(Id::DateFormat)},
    {Id::DateFormat, ComboBox, "", 223, 39, 52, 51},
    {Id::DateText, Label, "", 222, 26, 43, 11},
    {Id::TimeText, Label, " ", 270, 26, 34, 10},
    {Id::None, Label, "Alarm Led Flash Time:", 8, 138, 90, 13, nameOf(Id::AlarmLedFlash)},
    {Id::None, Label, "Record Led Flash Time:", 4, 152, 94, 9, nameOf(Id::RecordLedFlash)},
    {Id::AlarmLedFlash, Edit, "", 94, 138, 14, 12},
    {Id::None, Label, "Sec.", 110, 138, 17, 10, unitOf(Id::AlarmLedFlash)},
    {Id::RecordLedFlash, Edit, "", 94, 152, 14, 12},
    {Id::None, Label, "Sec.", 110, 152, 16, 10, unitOf(Id::RecordLedFlash)},
    {Id::None, Label, "Date Time:", 179, 26, 42, 10},
};

// "UTC+12:00" down to "UTC-12:00" in steps of 30 minutes; entry i is 12 hours minus i
// half hours.
constexpr std::size_t TimeZoneCount = 49;
constexpr std::array<std::array<char, 10>, TimeZoneCount> makeTimeZoneTexts() {
    std::array<std::array<char, 10>, TimeZoneCount> texts{};
    for (std::size_t i = 0; i < TimeZoneCount; ++i) {
        const int minutes = 720 - static_cast<int>(i) * 30;
        const int magnitude = minutes < 0 ? -minutes : minutes;
        const int hours = magnitude / 60;
        const int rest = magnitude % 60;
        texts[i] = {'U',
                    'T',
                    'C',
                    minutes < 0 ? '-' : '+',
                    static_cast<char>('0' + hours / 10),
                    static_cast<char>('0' + hours % 10),
                    ':',
                    static_cast<char>('0' + rest / 10),
                    static_cast<char>('0' + rest % 10),
                    '\0'};
    }
    return texts;
}
constexpr auto timeZoneTexts = makeTimeZoneTexts();

constexpr std::array<std::string_view, TimeZoneCount> makeTimeZoneEntries() {
    std::array<std::string_view, TimeZoneCount> entries{};
    for (std::size_t i = 0; i < TimeZoneCount; ++i) {
        entries[i] = std::string_view(timeZoneTexts[i].data(), 9);
    }
    return entries;
}
constexpr auto timeZoneEntries = makeTimeZoneEntries();

}  // namespace

const DialogTemplate& mainDialogTemplate() {
    static const DialogTemplate dialog{
        "Temp. & Humidity Datalogger Configration Tool V2.402",
        332,
        173,
        "SimSun-ExtB",
        14,
        mainControls,
    };
    return dialog;
}

namespace {

const ControlTemplate* labelOf(ControlId id, LabelFor::Role role) {
    for (const ControlTemplate& control : mainControls) {
        if (control.labelFor.role == role && control.labelFor.control == id) {
            return &control;
        }
    }
    return nullptr;
}

}  // namespace

std::string_view controlName(ControlId id) {
    const ControlTemplate* label = labelOf(id, LabelFor::Name);
    if (!label) {
        return {};
    }
    std::string_view name = label->text;
    if (name.ends_with(':')) {
        name.remove_suffix(1);
    }
    return name;
}

const ControlTemplate* unitLabel(ControlId id) {
    return labelOf(id, LabelFor::Unit);
}

ControlId unitOwner(ControlId label) {
    for (const ControlTemplate& control : mainControls) {
        if (label != ControlId::None && control.id == label &&
            control.labelFor.role == LabelFor::Unit) {
            return control.labelFor.control;
        }
    }
    return ControlId::None;
}

std::span<const std::string_view> listEntries(ControlId id) {
    switch (id) {
        case ControlId::TemperatureUnit:
            return UnitEntries;
        case ControlId::PdfLanguage:
            return LanguageEntries;
        case ControlId::ChannelSelection:
            return ChannelEntries;
        case ControlId::DateFormat:
            return DateFormatEntries;
        case ControlId::TimeZone:
            return timeZoneEntries;
        default:
            return {};
    }
}

}  // namespace veltra
