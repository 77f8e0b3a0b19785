#pragma once

#include <cstdint>

namespace veltra {

struct DialogState;

// Keeps editParams.clock at the current time in the selected zone and the time text current;
// raises DateFormatChanged when the date to show has changed.
void updateClock(DialogState& state);
// The work of TimeZoneChanged: re-reads the host's zone and takes the list's selection.
void applyTimeZoneSelection(DialogState& state);
// The work of DateFormatChanged: shows the clock's date in the selected format.
void renderDate(DialogState& state);
// Selects the Time Zone entry for the offset, or UTC+00:00 when there is none.
void showUtcOffset(DialogState& state, std::int32_t minutes);

}  // namespace veltra
