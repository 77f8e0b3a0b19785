#include "ui/AlarmDisplay.h"

#include "settings/NumberText.h"
#include "ui/DialogState.h"

namespace veltra {

namespace {

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
