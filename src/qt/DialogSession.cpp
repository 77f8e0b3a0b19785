#include "qt/DialogSession.h"

namespace veltra {

DialogSession::DialogSession(Host& host, DriveFiles& drive, LoggerLocator& locator)
    : program_(dialog_.controls(), host, drive), pollCycle_(program_, locator) {}

void DialogSession::open(bool automaticTicks) {
    controls().setListener(
        [this](ControlId id, Notification what) { pollCycle_.notify(id, what); });
    program_.dialogValues.writeTo(controls());
    dialog_.setTickHandler([this] { pollCycle_.tick(); });
    dialog_.setAutomaticTicks(automaticTicks);
    dialog_.setPolling(true);
}

}  // namespace veltra
