#pragma once

#include "core/Controls.h"
#include "core/DriveFiles.h"
#include "core/Host.h"
#include "core/LoggerLocator.h"
#include "core/Notification.h"
#include "ui/DialogState.h"
#include "ui/PollCycle.h"

namespace veltra {

// One run of the main window, whichever window shows it: the dialog's state over the window's
// controls, and the poll cycle. The window hands its timer's ticks to tick() and its controls'
// notifications to notify().
class DialogSession {
  public:
    DialogSession(Controls& controls, Host& host, DriveFiles& drive, LoggerLocator& locator)
        : state_(controls, host), cycle_(state_, locator, drive) {}
    DialogSession(const DialogSession&) = delete;
    DialogSession& operator=(const DialogSession&) = delete;

    // The window has opened: its controls take the initial values and the poll timer starts.
    void open() {
        state_.dialogValues.writeTo(state_.controls);
        state_.controls.startPollTimer();
    }

    void tick() { cycle_.tick(); }
    void notify(ControlId id, Notification what) { cycle_.notify(id, what); }

    DialogState& state() { return state_; }
    const DialogState& state() const { return state_; }
    PollCycle& pollCycle() { return cycle_; }

  private:
    DialogState state_;
    PollCycle cycle_;
};

}  // namespace veltra
