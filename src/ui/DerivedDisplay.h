#pragma once

namespace veltra {

struct Program;

// The window's derived values, each the work of one event bit.

// IntervalEdited: takes the typed interval and shows how long the logger can record.
void showRecordingEstimate(Program& program);
// ChannelChanged: takes the chosen channels and enables the controls that depend on them.
void applyChannelSelection(Program& program);
// UnitChanged: shows both temperature alarms in the chosen unit.
void showAlarmsInUnit(Program& program);
// HighTempAlarmEdited, LowTempAlarmEdited: take a typed alarm in both units.
void takeTypedHighAlarm(Program& program);
void takeTypedLowAlarm(Program& program);

}  // namespace veltra
