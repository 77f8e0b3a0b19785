#pragma once

#include "core/DriveFiles.h"
#include "core/Host.h"
#include "core/LoggerLocator.h"
#include "qt/MainDialog.h"
#include "qt/QtControls.h"
#include "ui/DialogState.h"
#include "ui/PollCycle.h"

namespace veltra {

// One run of the main window: the window, the program's records over its controls, and the
// poll cycle that the window's timer drives.
class DialogSession {
  public:
    DialogSession(Host& host, DriveFiles& drive, LoggerLocator& locator);

    // Shows the initial values in the controls, routes the notifications to the poll cycle
    // and starts the 100 ms timer (or, with automatic ticks off, only marks it running).
    void open(bool automaticTicks = true);

    // One timer tick, for callers that drive the ticks themselves.
    void tick() { pollCycle_.tick(); }

    MainDialog& dialog() { return dialog_; }
    QtControls& controls() { return dialog_.controls(); }
    DialogState& state() { return state_; }

  private:
    MainDialog dialog_;
    DialogState state_;
    PollCycle pollCycle_;
};

}  // namespace veltra
