#include "ui/ParameterBinding.h"

#include "settings/NumberText.h"
#include "settings/ParameterConversions.h"
#include "ui/ClockDisplay.h"
#include "ui/DialogState.h"

namespace veltra {

void fillControls(DialogState& state) {
    Controls& controls = state.controls;
    LoggerParameters& edit = state.editParams;
    DialogValues& values = state.dialogValues;

    edit = state.deviceParams;
    state.showText(ControlId::TimeDelay, formatText("%d", edit.startDelay / 60));
    state.showText(ControlId::SamplingInterval, formatText("%d", edit.sampleInterval));
    state.showText(ControlId::RecordLedFlash, formatText("%d", edit.recordLedFlash));
    state.showText(ControlId::AlarmLedFlash, formatText("%d", edit.alarmLedFlash));

    state.showText(ControlId::UserInfo, fieldText(edit.userInfo));
    state.showText(ControlId::DeviceId, fieldText(edit.deviceId));
    state.showText(ControlId::DeviceName, fieldText(edit.deviceName));
    state.showText(ControlId::Trademark, fieldText(edit.trademark));
    state.showText(ControlId::Website, fieldText(edit.website));

    showUtcOffset(state, joinUtcOffset(edit.utcOffsetHours, edit.utcOffsetMinutes));

    values.pdfLanguageIndex = edit.pdfLanguage;
    values.unitIndex = edit.temperatureUnit;
    values.dateFormatIndex = edit.dateFormat;
    controls.select(ControlId::PdfLanguage, values.pdfLanguageIndex);
    controls.select(ControlId::TemperatureUnit, values.unitIndex);
    controls.select(ControlId::DateFormat, values.dateFormatIndex);

    const std::uint8_t flags = state.deviceInfo.capabilityFlags;
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
        AlarmTemperatures& alarms = state.alarmTemperatures;
        alarms.highAlarmCelsius = edit.highTempAlarm / 20.0;
        alarms.lowAlarmCelsius = edit.lowTempAlarm / 20.0;
        alarms.highAlarmFahrenheit = celsiusToFahrenheit(alarms.highAlarmCelsius);
        alarms.lowAlarmFahrenheit = celsiusToFahrenheit(alarms.lowAlarmCelsius);
        state.raise(UnitChanged);
    }
    if (values.channelIndex == 1 || values.channelIndex == 2) {
        state.showText(ControlId::HighHumidityAlarm,
                       formatText("%0.1f", edit.highHumidityAlarm / 10.0));
        state.showText(ControlId::LowHumidityAlarm,
                       formatText("%0.1f", edit.lowHumidityAlarm / 10.0));
    }
    state.raise(ChannelChanged);
}

void collectParameters(DialogState& state) {
    DialogValues& values = state.dialogValues;
    LoggerParameters& edit = state.editParams;

    values.readFrom(state.controls);
    updateClock(state);

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

    const SplitOffset offset = splitUtcOffset(state.clockState.selectedUtcOffset);
    edit.utcOffsetHours = offset.hours;
    edit.utcOffsetMinutes = offset.minutes;
    edit.dateFormat = static_cast<std::uint8_t>(values.dateFormatIndex);
    edit.channelMode = channelModeFromIndex(static_cast<std::uint8_t>(values.channelIndex));
    edit.temperatureUnit = static_cast<std::uint8_t>(values.unitIndex);

    const AlarmTemperatures& alarms = state.alarmTemperatures;
    edit.highTempAlarm = scaledSignedField(alarms.highAlarmCelsius, 20);
    edit.lowTempAlarm = scaledSignedField(alarms.lowAlarmCelsius, 20);
    edit.highHumidityAlarm = scaledUnsignedField(decimalValue(values.highHumidityText), 10);
    edit.lowHumidityAlarm = scaledUnsignedField(decimalValue(values.lowHumidityText), 10);
}

}  // namespace veltra
