#pragma once

#include "core/Controls.h"
#include "core/Host.h"
#include "logger/DeviceInfo.h"
#include "settings/AlarmTemperatures.h"
#include "settings/Clock.h"
#include "settings/DialogValues.h"
#include "settings/LoggerParameters.h"
#include "ui/PendingEvents.h"
#include "ui/PollState.h"

namespace veltra {

// The dialog's records, created once per window (or per test), and the window and host that
// they are shown in and timed by.
struct DialogState {
    DialogState(Controls& controls_, Host& host_) : controls(controls_), host(host_) {}
    DialogState(const DialogState&) = delete;
    DialogState& operator=(const DialogState&) = delete;

    DeviceInfo deviceInfo;
    LoggerParameters deviceParams{};  // the logger's settings as read
    LoggerParameters editParams{};    // the settings the controls edit and that are written
    AlarmTemperatures alarmTemperatures;
    DialogValues dialogValues;
    PollState pollState;
    PendingEvents pendingEvents = 0;
    ClockState clockState;

    Controls& controls;
    Host& host;

    void raise(PendingEvents events) { pendingEvents |= events; }

    // Sets a control's text and repaints the window's background behind it.
    void showText(ControlId id, std::string_view text) {
        controls.setText(id, text);
        controls.refreshControlArea(id);
    }
};

}  // namespace veltra
