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
    state.showText(ControlId::TimeDelay, formatText("%d", edit.startDelay / SecondsPerMinute));
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

    // A logger with one sensor records that one; with both, or when it does not say, the
    // user chooses.
    const bool temperature = state.deviceInfo.has(HasTemperatureChannel);
    const bool humidity = state.deviceInfo.has(HasHumidityChannel);
    if (temperature != humidity) {
        edit.channelMode = temperature ? TemperatureRecorded : HumidityRecorded;
    }
    controls.setEnabled(ControlId::ChannelSelection, temperature == humidity);

    values.channelIndex = channelIndexFromMode(edit.channelMode);
    controls.select(ControlId::ChannelSelection, values.channelIndex);

    if (values.channelIndex == 0 || values.channelIndex == 2) {
        AlarmTemperatures& alarms = state.alarmTemperatures;
        alarms.highAlarmCelsius = edit.highTempAlarm / double{TempStepsPerDegree};
        alarms.lowAlarmCelsius = edit.lowTempAlarm / double{TempStepsPerDegree};
        alarms.highAlarmFahrenheit = celsiusToFahrenheit(alarms.highAlarmCelsius);
        alarms.lowAlarmFahrenheit = celsiusToFahrenheit(alarms.lowAlarmCelsius);
        state.raise(UnitChanged);
    }
    if (values.channelIndex == 1 || values.channelIndex == 2) {
        state.showText(
            ControlId::HighHumidityAlarm,
            formatText("%0.1f", edit.highHumidityAlarm / double{HumidityStepsPerPercent}));
        state.showText(
            ControlId::LowHumidityAlarm,
            formatText("%0.1f", edit.lowHumidityAlarm / double{HumidityStepsPerPercent}));
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
    edit.highTempAlarm = scaledSignedField(alarms.highAlarmCelsius, TempStepsPerDegree);
    edit.lowTempAlarm = scaledSignedField(alarms.lowAlarmCelsius, TempStepsPerDegree);
    edit.highHumidityAlarm =
        scaledUnsignedField(decimalValue(values.highHumidityText), HumidityStepsPerPercent);
    edit.lowHumidityAlarm =
        scaledUnsignedField(decimalValue(values.lowHumidityText), HumidityStepsPerPercent);
}

}  // namespace veltra
