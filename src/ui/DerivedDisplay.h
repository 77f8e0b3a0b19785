#pragma once

namespace veltra {

struct DialogState;

// The window's derived values, each the work of one event bit.

// IntervalEdited: takes the typed interval and shows how long the logger can record.
void showRecordingEstimate(DialogState& state);
// ChannelChanged: takes the chosen channels and enables the controls that depend on them.
void applyChannelSelection(DialogState& state);

}  // namespace veltra
