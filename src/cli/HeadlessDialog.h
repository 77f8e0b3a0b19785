#pragma once

#include <string>
#include <vector>

#include "core/DriveFiles.h"
#include "core/Host.h"
#include "core/LoggerLocator.h"
#include "ui/DialogSession.h"
#include "ui/MemoryControls.h"

namespace veltra::cli {

// The dialog without a window: the real poll cycle over an in-memory window, driven tick by
// tick, so that the command line configures a logger exactly as the dialog would.
class HeadlessDialog {
  public:
    HeadlessDialog(Host& host, LoggerLocator& locator, DriveFiles& drive);

    // Runs ticks until the logger's settings are shown, or `maxTicks` ran out.
    bool waitUntilShown(int maxTicks);
    void tick() { session_.tick(); }

    MemoryControls& controls() { return controls_; }
    const DialogState& state() const { return session_.state(); }

    // The user chooses a list's entry. Empty when done; otherwise why not.
    std::string choose(ControlId id, int index);
    // The user types a field's text. Empty when done; otherwise why not.
    std::string type(ControlId id, const std::string& text);

    // Clicks the configure button and runs the tick that does the work; what it came to, as
    // the poll cycle recorded it (None when the click was not worked off).
    WriteResult configure();
    // Messages the dialog showed since the last call.
    std::vector<std::string> takeMessages();

  private:
    MemoryControls controls_;
    DialogSession session_;
    std::size_t messagesSeen_ = 0;
};

}  // namespace veltra::cli
