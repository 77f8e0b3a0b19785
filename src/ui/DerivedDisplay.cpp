#include "ui/DerivedDisplay.h"

#include "settings/NumberText.h"
#include "settings/ParameterConversions.h"
#include "ui/DialogState.h"

namespace veltra {

namespace {

constexpr std::uint32_t HumidityBits = 10;

// Takes a typed alarm temperature in the shown unit and keeps its pair in step.
void takeTypedAlarm(const DialogState& state, bool& skip, const std::string& text, double& celsius,
                    double& fahrenheit) {
    if (skip) {
        skip = false;
        return;
    }
    const double value = decimalValue(text);
    if (state.dialogValues.unitIndex != 0) {
        fahrenheit = value;
        celsius = fahrenheitToCelsius(value);
    } else {
        celsius = value;
        fahrenheit = celsiusToFahrenheit(value);
    }
}

}  // namespace

void showRecordingEstimate(DialogState& state) {
    LoggerParameters& edit = state.editParams;
    edit.sampleInterval = integerValue(state.dialogValues.sampleIntervalText);

    const DeviceInfo& info = state.deviceInfo;
    std::uint32_t bitsPerRecord = info.tempSampleBits;
    if (edit.channelMode == 2) {
        bitsPerRecord = HumidityBits;
    } else if (edit.channelMode == 3) {
        bitsPerRecord = info.tempSampleBits + HumidityBits;
    }
    // A logger that reports no sample size gives no estimate rather than a division by zero.
    if (!state.pollState.imageLoaded || bitsPerRecord == 0) {
        state.showText(ControlId::RecordingTime, "Longest Recording Time:");
        return;
    }
    const std::uint32_t memoryBits = info.memoryCapacity * 8u;
    const std::uint32_t records = memoryBits / bitsPerRecord;
    const std::uint32_t seconds = records * static_cast<std::uint32_t>(edit.sampleInterval);
    const std::string text =
        seconds > SecondsPerDay
            ? formatText("Longest Recording Time: %0.1f days", seconds / double{SecondsPerDay})
            : formatText("Longest Recording Time: %0.1f hours", seconds / double{SecondsPerHour});
    state.showText(ControlId::RecordingTime, text);
}

void applyChannelSelection(DialogState& state) {
    Controls& controls = state.controls;
    const std::uint8_t mode =
        channelModeFromIndex(static_cast<std::uint8_t>(state.dialogValues.channelIndex));
    state.editParams.channelMode = mode;
    state.raise(IntervalEdited);

    if (mode & TemperatureRecorded) {
        controls.setEnabled(ControlId::HighTempAlarm, true);
        controls.setEnabled(ControlId::LowTempAlarm, true);
        if (state.deviceInfo.has(SupportsFahrenheit)) {
            controls.setEnabled(ControlId::TemperatureUnit, true);
        }
    } else {
        controls.setEnabled(ControlId::HighTempAlarm, false);
        controls.setEnabled(ControlId::LowTempAlarm, false);
        controls.setEnabled(ControlId::TemperatureUnit, false);
    }
    const bool humidity = (mode & HumidityRecorded) != 0;
    controls.setEnabled(ControlId::HighHumidityAlarm, humidity);
    controls.setEnabled(ControlId::LowHumidityAlarm, humidity);
}

void AlarmDisplay::showAlarmsInUnit(DialogState& state) {
    skipHighAlarmEdit_ = true;
    skipLowAlarmEdit_ = true;
    const int unit = state.dialogValues.unitIndex;
    state.editParams.temperatureUnit = static_cast<std::uint8_t>(unit);

    const AlarmTemperatures& alarms = state.alarmTemperatures;
    const bool fahrenheit = unit != 0;
    const double high = fahrenheit ? alarms.highAlarmFahrenheit : alarms.highAlarmCelsius;
    const double low = fahrenheit ? alarms.lowAlarmFahrenheit : alarms.lowAlarmCelsius;
    const char* unitName = fahrenheit ? "Fahrenheit" : "Celsius";
    state.showText(ControlId::HighTempAlarm, formatText("%1.1f", high));
    state.showText(ControlId::LowTempAlarm, formatText("%1.1f", low));
    state.showText(ControlId::HighTempUnit, unitName);
    state.showText(ControlId::LowTempUnit, unitName);
}

void AlarmDisplay::takeTypedHighAlarm(DialogState& state) {
    AlarmTemperatures& alarms = state.alarmTemperatures;
    takeTypedAlarm(state, skipHighAlarmEdit_, state.dialogValues.highTempText,
                   alarms.highAlarmCelsius, alarms.highAlarmFahrenheit);
}

void AlarmDisplay::takeTypedLowAlarm(DialogState& state) {
    AlarmTemperatures& alarms = state.alarmTemperatures;
    takeTypedAlarm(state, skipLowAlarmEdit_, state.dialogValues.lowTempText, alarms.lowAlarmCelsius,
                   alarms.lowAlarmFahrenheit);
}

}  // namespace veltra
