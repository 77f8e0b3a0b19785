#pragma once

#include <optional>

#include "core/DriveFiles.h"
#include "core/LoggerLocator.h"
#include "core/Notification.h"
#include "logger/DeviceImage.h"
#include "ui/DerivedDisplay.h"
#include "ui/DialogState.h"

namespace veltra {

// The heart of the program: every 100 ms timer tick of the main window runs tick(), and every
// notification of a control goes to notify(), which only raises its event bit. All that the
// window shows and all that is written to the logger happens inside tick().
class PollCycle {
  public:
    PollCycle(DialogState& state, LoggerLocator& locator, DriveFiles& drive);

    // One timer tick.
    void tick();
    // A control's notification; raises its bit (WatchedNotifications), nothing else.
    void notify(ControlId id, Notification what);

    // When set, a logger that comes back from its upgrade still needing it is not upgraded
    // again (the result is UpgradeNotTaken). The window leaves it clear and repeats the
    // upgrade until the logger no longer needs it.
    void setUpgradeOnce(bool once) { upgradeOnce_ = once; }

  private:
    void processPendingEvents();
    void applySetupLock();
    void configure();
    bool validateParameters();
    WriteResult writeToLogger();
    void resetWhenGone();
    // Reads and checks DAT.SRC: the filesystem it was read from, or nothing when it was not
    // read or not accepted.
    std::optional<DriveIdentity> readImage();
    void readLoggerOnce();
    // The logger that was written is back: tells the user of each setting it did not take.
    void compareReturnedSettings();

    DialogState& state_;
    LoggerLocator& locator_;
    DriveFiles& drive_;
    DeviceImage image_;  // the last DAT.SRC read
    AlarmDisplay alarmDisplay_;
    bool inTick_ = false;
    bool upgradeOnce_ = false;
};

}  // namespace veltra
