#include "cli/HeadlessDialog.h"

namespace veltra::cli {

HeadlessDialog::HeadlessDialog(Host& host, LoggerLocator& locator, DriveFiles& drive)
    : session_(controls_, host, drive, locator) {
    // A command that waits for an upgraded logger upgrades it once, then says how it came back.
    session_.pollCycle().setUpgradeOnce(true);
    controls_.setListener([this](ControlId id, Notification what) { session_.notify(id, what); });
    session_.open();
}

bool HeadlessDialog::waitUntilShown(int maxTicks) {
    for (int i = 0; i < maxTicks; ++i) {
        tick();
        const PollState& poll = session_.state().pollState;
        if (poll.imageLoaded && poll.LoggerDrive != 0) {
            // Two more ticks work off what showing the settings raised (the unit display, the
            // channel controls, and the estimate that the channel processing raises again).
            tick();
            tick();
            return true;
        }
    }
    return false;
}

std::string HeadlessDialog::choose(ControlId id, int index) {
    if (!controls_.isEnabled(id)) {
        // Choosing what the list already shows changes nothing, so a profile may name it.
        return controls_.selection(id) == index ? ""
                                                : "this logger does not let that list be changed";
    }
    controls_.choose(id, index);
    tick();
    return {};
}

std::string HeadlessDialog::type(ControlId id, const std::string& text) {
    if (!controls_.isEnabled(id)) {
        return "the field is disabled for this logger's channels";
    }
    controls_.type(id, text);
    tick();
    return {};
}

WriteResult HeadlessDialog::configure() {
    WriteResult& result = session_.state().pollState.lastWrite;
    result = WriteResult::None;
    controls_.click(ControlId::ConfigureButton);
    tick();
    return result;
}

std::vector<std::string> HeadlessDialog::takeMessages() {
    const auto& all = controls_.messages();
    std::vector<std::string> fresh(all.begin() + static_cast<std::ptrdiff_t>(messagesSeen_),
                                   all.end());
    messagesSeen_ = all.size();
    return fresh;
}

}  // namespace veltra::cli
