#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/Controls.h"
#include "core/Notification.h"
#include "ui/DialogTemplate.h"

namespace veltra {

// The main window held in memory: every control of the template with its text, list,
// selection, check and enabled state. Serves the tests and the command-line tool, and acts
// for the user through type(), choose() and click(), which report notifications as a real
// window would.
class MemoryControls : public Controls {
  public:
    using Listener = std::function<void(ControlId, Notification)>;

    MemoryControls();

    // Receives the notifications (the poll cycle's handlers).
    void setListener(Listener listener) { listener_ = std::move(listener); }
    // Called for every message box, in place of the user confirming it.
    void setMessageResponder(std::function<void(std::string_view)> responder) {
        responder_ = std::move(responder);
    }

    // Controls
    std::string text(ControlId id) const override;
    void setText(ControlId id, std::string_view text) override;
    int selection(ControlId id) const override;
    void select(ControlId id, int index) override;
    int entryCount(ControlId id) const override;
    std::string entryText(ControlId id, int index) const override;
    bool isChecked(ControlId id) const override;
    void setEnabled(ControlId id, bool enabled) override;
    void setFocus(ControlId id) override { focus_ = id; }
    void refreshControlArea(ControlId id) override { refreshed_.push_back(id); }
    void showMessage(std::string_view utf8Text) override;
    void stopPollTimer() override { timerRunning_ = false; }
    void startPollTimer() override { timerRunning_ = true; }
    std::optional<std::uint64_t> changeCount() const override { return changes_; }

    // What a user does. Each reports its notification, as the real window would.
    void type(ControlId id, std::string_view text);
    void choose(ControlId id, int index);
    void click(ControlId id);

    // What a user sees.
    bool isEnabled(ControlId id) const;
    ControlId focus() const { return focus_; }
    bool timerRunning() const { return timerRunning_; }
    const std::vector<std::string>& messages() const { return messages_; }
    const std::vector<ControlId>& refreshed() const { return refreshed_; }
    void clearLog();

  private:
    struct State {
        ControlKind kind = ControlKind::Label;
        std::string text;
        std::vector<std::string> entries;
        int selection = -1;
        bool checked = false;
        bool enabled = true;
    };
    State& at(ControlId id);
    const State* find(ControlId id) const;
    void notify(ControlId id, Notification what);

    std::map<ControlId, State> controls_;
    Listener listener_;
    std::function<void(std::string_view)> responder_;
    ControlId focus_ = ControlId::None;
    bool timerRunning_ = false;
    std::uint64_t changes_ = 0;
    std::vector<std::string> messages_;
    std::vector<ControlId> refreshed_;
};

}  // namespace veltra
