#include "settings/ParameterBinding.h"

#include <algorithm>
#include <cmath>

#include "core/Program.h"
#include "settings/NumberText.h"

namespace veltra {

std::uint8_t channelModeFromIndex(std::uint8_t index) {
    switch (index) {
        case 1:
            return 2;
        case 2:
            return 3;
        default:
            return 1;
    }
}

int channelIndexFromMode(std::uint8_t channelMode) {
    switch (channelMode) {
        case 2:
            return 1;
        case 3:
            return 2;
        default:
            return 0;
    }
}

void copyTextField(std::span<std::uint8_t> field, std::string_view text) {
    const std::size_t length = std::min(text.size(), field.size());
    std::copy_n(reinterpret_cast<const std::uint8_t*>(text.data()), length, field.begin());
    if (length < field.size()) {
        field[length] = 0;
    }
}

std::int32_t minutesToSeconds(std::int32_t minutes) {
    const std::int64_t seconds = std::int64_t{minutes} * 60;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(seconds, INT32_MIN, INT32_MAX));
}

std::uint16_t toUnsignedField(std::int64_t value) {
    // Small negative values keep their low 16 bits (-50 gives 65486); both stay far above any
    // limit the validation allows.
    return static_cast<std::uint16_t>(std::clamp<std::int64_t>(value, INT16_MIN, UINT16_MAX));
}

namespace {

// Truncates toward zero into the int64 range; not-a-number counts as too large.
std::int64_t truncated(double value) {
    if (std::isnan(value) || value >= 9.0e18) {
        return INT64_MAX / 2;
    }
    if (value <= -9.0e18) {
        return INT64_MIN / 2;
    }
    return static_cast<std::int64_t>(value);
}

}  // namespace

std::uint16_t scaledUnsignedField(double value, double scale) {
    return toUnsignedField(truncated(value * scale));
}

std::int16_t scaledSignedField(double value, double scale) {
    const std::int64_t scaled = truncated(value * scale);
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(scaled, INT16_MIN, INT16_MAX));
}

namespace {

void showNumber(Controls& controls, ControlId id, const std::string& text) {
    controls.setText(id, text);
    controls.refreshControlArea(id);
}

template <std::size_t Width>
void showField(Controls& controls, ControlId id, const TextField<Width>& field) {
    controls.setText(id, fieldText(field));
    controls.refreshControlArea(id);
}

}  // namespace

void fillControls(Program& program) {
    Controls& controls = program.controls;
    LoggerParameters& edit = program.editParams;
    DialogValues& values = program.dialogValues;

    edit = program.deviceParams;
    showNumber(controls, ControlId::TimeDelay, formatText("%d", edit.startDelay / 60));
    showNumber(controls, ControlId::SamplingInterval, formatText("%d", edit.sampleInterval));
    showNumber(controls, ControlId::RecordLedFlash, formatText("%d", edit.recordLedFlash));
    showNumber(controls, ControlId::AlarmLedFlash, formatText("%d", edit.alarmLedFlash));

    showField(controls, ControlId::UserInfo, edit.userInfo);
    showField(controls, ControlId::DeviceId, edit.deviceId);
    showField(controls, ControlId::DeviceName, edit.deviceName);
    showField(controls, ControlId::Trademark, edit.trademark);
    showField(controls, ControlId::Website, edit.website);

    showUtcOffset(program, joinUtcOffset(edit.utcOffsetHours, edit.utcOffsetMinutes));

    values.pdfLanguageIndex = edit.pdfLanguage;
    values.unitIndex = edit.temperatureUnit;
    values.dateFormatIndex = edit.dateFormat;
    controls.select(ControlId::PdfLanguage, values.pdfLanguageIndex);
    controls.select(ControlId::TemperatureUnit, values.unitIndex);
    controls.select(ControlId::DateFormat, values.dateFormatIndex);

    const std::uint8_t flags = program.deviceInfo.capabilityFlags;
    const int channels = (flags >> 5) & 3;  // bit 0: temperature sensor, bit 1: humidity
    if (channels == 1 || channels == 2) {
        edit.channelMode = static_cast<std::uint8_t>(channels);
        controls.setEnabled(ControlId::ChannelSelection, false);
    } else {
        controls.setEnabled(ControlId::ChannelSelection, true);
    }

    values.channelIndex = channelIndexFromMode(edit.channelMode);
    controls.select(ControlId::ChannelSelection, values.channelIndex);

    if (values.channelIndex == 0 || values.channelIndex == 2) {
        AlarmTemperatures& alarms = program.alarmTemperatures;
        alarms.highAlarmCelsius = edit.highTempAlarm / 20.0;
        alarms.lowAlarmCelsius = edit.lowTempAlarm / 20.0;
        alarms.highAlarmFahrenheit = celsiusToFahrenheit(alarms.highAlarmCelsius);
        alarms.lowAlarmFahrenheit = celsiusToFahrenheit(alarms.lowAlarmCelsius);
        program.raise(UnitChanged);
    }
    if (values.channelIndex == 1 || values.channelIndex == 2) {
        showNumber(controls, ControlId::HighHumidityAlarm,
                   formatText("%0.1f", edit.highHumidityAlarm / 10.0));
        showNumber(controls, ControlId::LowHumidityAlarm,
                   formatText("%0.1f", edit.lowHumidityAlarm / 10.0));
    }
    program.raise(ChannelChanged);
}

void collectParameters(Program& program) {
    DialogValues& values = program.dialogValues;
    LoggerParameters& edit = program.editParams;

    values.readFrom(program.controls);
    updateClock(program);

    edit.startDelay = minutesToSeconds(integerValue(values.startDelayText));
    edit.sampleInterval = integerValue(values.sampleIntervalText);
    edit.alarmLedFlash = toUnsignedField(integerValue(values.alarmLedText));
    edit.recordLedFlash = toUnsignedField(integerValue(values.recordLedText));
    edit.pdfLanguage = static_cast<std::uint8_t>(values.pdfLanguageIndex);

    copyTextField(edit.trademark, values.trademarkText);
    copyTextField(edit.website, values.websiteText);
    copyTextField(edit.deviceName, values.deviceNameText);
    copyTextField(edit.deviceId, values.deviceIdText);
    copyTextField(edit.userInfo, values.userInfoText);

    const SplitOffset offset = splitUtcOffset(program.clockState.selectedUtcOffset);
    edit.utcOffsetHours = offset.hours;
    edit.utcOffsetMinutes = offset.minutes;
    edit.dateFormat = static_cast<std::uint8_t>(values.dateFormatIndex);
    edit.channelMode = channelModeFromIndex(static_cast<std::uint8_t>(values.channelIndex));
    edit.temperatureUnit = static_cast<std::uint8_t>(values.unitIndex);

    const AlarmTemperatures& alarms = program.alarmTemperatures;
    edit.highTempAlarm = scaledSignedField(alarms.highAlarmCelsius, 20);
    edit.lowTempAlarm = scaledSignedField(alarms.lowAlarmCelsius, 20);
    edit.highHumidityAlarm = scaledUnsignedField(decimalValue(values.highHumidityText), 10);
    edit.lowHumidityAlarm = scaledUnsignedField(decimalValue(values.lowHumidityText), 10);
}

}  // namespace veltra
