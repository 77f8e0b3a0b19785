#pragma once

namespace veltra {

struct DialogState;

// The window's derived values, each the work of one event bit.

// IntervalEdited: takes the typed interval and shows how long the logger can record.
void showRecordingEstimate(DialogState& state);
// ChannelChanged: takes the chosen channels and enables the controls that depend on them.
void applyChannelSelection(DialogState& state);

// The two temperature alarms: shown in the chosen unit, and taken in both units as typed.
class AlarmDisplay {
  public:
    // UnitChanged: shows both alarms in the chosen unit.
    void showAlarmsInUnit(DialogState& state);
    // HighTempAlarmEdited, LowTempAlarmEdited: take a typed alarm in both units.
    void takeTypedHighAlarm(DialogState& state);
    void takeTypedLowAlarm(DialogState& state);

  private:
    // Set while the unit display rewrites the alarm fields, so that the text changes it causes
    // do not read the rounded texts back into alarmTemperatures.
    bool skipHighAlarmEdit_ = false;
    bool skipLowAlarmEdit_ = false;
};

}  // namespace veltra
