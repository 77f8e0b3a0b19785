#include "ui/ClockDisplay.h"

#include "settings/Clock.h"
#include "ui/DialogState.h"

namespace veltra {

void updateClock(DialogState& state) {
    ClockState& shown = state.clockState;
    auto& clock = state.editParams.clock;
    clock = shiftedClock(state.host.localTime(), shown.selectedUtcOffset - shown.hostUtcOffset);

    const int format = state.dialogValues.dateFormatIndex;
    if (clock[0] == shown.shownYear && clock[1] == shown.shownMonth && clock[2] == shown.shownDay &&
        format == shown.shownDateFormat) {
        if (clock[5] != shown.shownSecond) {
            state.showText(ControlId::TimeText, formatTime(clock));
            shown.shownSecond = clock[5];
        }
        return;
    }
    shown.shownYear = clock[0];
    shown.shownMonth = clock[1];
    shown.shownDay = clock[2];
    shown.shownDateFormat = format;
    state.raise(DateFormatChanged);
}

void showUtcOffset(DialogState& state, std::int32_t minutes) {
    Controls& controls = state.controls;
    for (;;) {
        state.clockState.selectedUtcOffset = minutes;
        const std::string wanted = utcOffsetText(minutes);
        const int count = controls.entryCount(ControlId::TimeZone);
        for (int i = 0; i < count; ++i) {
            if (controls.entryText(ControlId::TimeZone, i) == wanted) {
                controls.select(ControlId::TimeZone, i);
                return;
            }
        }
        if (minutes == 0) {
            return;  // a list without UTC+00:00: nothing to select
        }
        minutes = 0;
    }
}

void applyTimeZoneSelection(DialogState& state) {
    ClockState& clock = state.clockState;
    clock.hostUtcOffset = state.host.standardUtcOffset();

    std::int32_t offset = clock.hostUtcOffset;
    const int selected = state.controls.selection(ControlId::TimeZone);
    if (selected >= 0) {
        offset = utcOffsetOfText(state.controls.entryText(ControlId::TimeZone, selected));
    }
    clock.selectedUtcOffset = offset;
    showUtcOffset(state, offset);
}

void renderDate(DialogState& state) {
    state.showText(ControlId::DateText,
                   formatDate(state.editParams.clock, state.dialogValues.dateFormatIndex));
}

}  // namespace veltra
