#include "qt/DialogSession.h"

namespace veltra {

DialogSession::DialogSession(Host& host, DriveFiles& drive, LoggerLocator& locator)
    : state_(dialog_.controls(), host), pollCycle_(state_, locator, drive) {}

void DialogSession::open(bool automaticTicks) {
    controls().setListener(
        [this](ControlId id, Notification what) { pollCycle_.notify(id, what); });
    state_.dialogValues.writeTo(controls());
    dialog_.setTickHandler([this] { pollCycle_.tick(); });
    dialog_.setAutomaticTicks(automaticTicks);
    dialog_.setPolling(true);
}

}  // namespace veltra
