#include "ui/DerivedDisplay.h"

#include "core/Program.h"
#include "settings/NumberText.h"
#include "settings/ParameterBinding.h"

namespace veltra {

namespace {

constexpr std::uint32_t HumidityBits = 10;
constexpr std::uint32_t SecondsPerDay = 86400;
constexpr std::uint32_t SecondsPerHour = 3600;

void showText(Program& program, ControlId id, const std::string& text) {
    program.controls.setText(id, text);
    program.controls.refreshControlArea(id);
}

}  // namespace

void showRecordingEstimate(Program& program) {
    LoggerParameters& edit = program.editParams;
    edit.sampleInterval = integerValue(program.dialogValues.sampleIntervalText);

    const DeviceInfo& info = program.deviceInfo;
    std::uint32_t bitsPerRecord = info.tempSampleBits;
    if (edit.channelMode == 2) {
        bitsPerRecord = HumidityBits;
    } else if (edit.channelMode == 3) {
        bitsPerRecord = info.tempSampleBits + HumidityBits;
    }
    // A logger that reports no sample size gives no estimate rather than a division by zero.
    if (!program.pollState.imageLoaded || bitsPerRecord == 0) {
        showText(program, ControlId::RecordingTime, "Longest Recording Time:");
        return;
    }
    const std::uint32_t memoryBits = info.memoryCapacity * 8u;
    const std::uint32_t records = memoryBits / bitsPerRecord;
    const std::uint32_t seconds = records * static_cast<std::uint32_t>(edit.sampleInterval);
    const std::string text =
        seconds > SecondsPerDay
            ? formatText("Longest Recording Time: %0.1f days", seconds / double{SecondsPerDay})
            : formatText("Longest Recording Time: %0.1f hours", seconds / double{SecondsPerHour});
    showText(program, ControlId::RecordingTime, text);
}

void applyChannelSelection(Program& program) {
    Controls& controls = program.controls;
    const std::uint8_t mode =
        channelModeFromIndex(static_cast<std::uint8_t>(program.dialogValues.channelIndex));
    program.editParams.channelMode = mode;
    program.raise(IntervalEdited);

    if (mode & TemperatureRecorded) {
        controls.setEnabled(ControlId::HighTempAlarm, true);
        controls.setEnabled(ControlId::LowTempAlarm, true);
        if (program.deviceInfo.has(SupportsFahrenheit)) {
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

void showAlarmsInUnit(Program& program) {
    program.skipHighAlarmEdit = 1;
    program.skipLowAlarmEdit = 1;
    const int unit = program.dialogValues.unitIndex;
    program.editParams.temperatureUnit = static_cast<std::uint8_t>(unit);

    const AlarmTemperatures& alarms = program.alarmTemperatures;
    const bool fahrenheit = unit != 0;
    const double high = fahrenheit ? alarms.highAlarmFahrenheit : alarms.highAlarmCelsius;
    const double low = fahrenheit ? alarms.lowAlarmFahrenheit : alarms.lowAlarmCelsius;
    const char* unitName = fahrenheit ? "Fahrenheit" : "Celsius";
    showText(program, ControlId::HighTempAlarm, formatText("%1.1f", high));
    showText(program, ControlId::LowTempAlarm, formatText("%1.1f", low));
    showText(program, ControlId::HighTempUnit, unitName);
    showText(program, ControlId::LowTempUnit, unitName);
}

namespace {

// Takes a typed alarm temperature in the shown unit and keeps its pair in step.
void takeTypedAlarm(Program& program, std::uint8_t& skip, const std::string& text, double& celsius,
                    double& fahrenheit) {
    if (skip) {
        skip = 0;
        return;
    }
    const double value = decimalValue(text);
    if (program.dialogValues.unitIndex != 0) {
        fahrenheit = value;
        celsius = fahrenheitToCelsius(value);
    } else {
        celsius = value;
        fahrenheit = celsiusToFahrenheit(value);
    }
}

}  // namespace

void takeTypedHighAlarm(Program& program) {
    AlarmTemperatures& alarms = program.alarmTemperatures;
    takeTypedAlarm(program, program.skipHighAlarmEdit, program.dialogValues.highTempText,
                   alarms.highAlarmCelsius, alarms.highAlarmFahrenheit);
}

void takeTypedLowAlarm(Program& program) {
    AlarmTemperatures& alarms = program.alarmTemperatures;
    takeTypedAlarm(program, program.skipLowAlarmEdit, program.dialogValues.lowTempText,
                   alarms.lowAlarmCelsius, alarms.lowAlarmFahrenheit);
}

}  // namespace veltra
