#pragma once

#include "core/Controls.h"
#include "core/DriveFiles.h"
#include "core/Host.h"
#include "logger/DeviceImage.h"
#include "logger/DeviceInfo.h"
#include "settings/AlarmTemperatures.h"
#include "settings/Clock.h"
#include "settings/DialogValues.h"
#include "settings/LoggerParameters.h"
#include "ui/PendingEvents.h"
#include "ui/PollState.h"

namespace veltra {

// The program's records, created once per run (or per test), and the seams through which
// the core reaches the window, the host and the logger's drive.
struct Program {
    Program(Controls& controls_, Host& host_, DriveFiles& drive_)
        : controls(controls_), host(host_), drive(drive_) {}
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    DeviceImage deviceImage;
    DeviceInfo deviceInfo;
    LoggerParameters deviceParams{};  // the logger's settings as read
    LoggerParameters editParams{};    // the settings the controls edit and that are written
    AlarmTemperatures alarmTemperatures;
    DialogValues dialogValues;
    PollState pollState;
    PendingEvents pendingEvents = 0;
    ClockState clockState;
    // Set while the unit display rewrites the alarm fields, so that the text changes it causes
    // do not read the rounded texts back into alarmTemperatures.
    std::uint8_t skipHighAlarmEdit = 0;
    std::uint8_t skipLowAlarmEdit = 0;

    Controls& controls;
    Host& host;
    DriveFiles& drive;

    void raise(PendingEvents events) { pendingEvents |= events; }
};

}  // namespace veltra
