#pragma once

#include <windows.h>

#include <set>

#include "core/Controls.h"
#include "win32/ScreenReaderNames.h"

namespace veltra {

// The core's view of the main window over the dialog's real controls. Control texts are
// bytes of the ANSI code page (the "A" calls); messages are UTF-8 and shown through the
// wide-character message box, so that no character of them is lost to the code page.
class Win32Controls : public Controls {
  public:
    // The dialog window, once it exists (its controls named for screen readers); null as it
    // goes.
    void attach(HWND dialog);
    HWND dialog() const { return dialog_; }

    std::string text(ControlId id) const override;
    void setText(ControlId id, std::string_view text) override;
    int selection(ControlId id) const override;
    void select(ControlId id, int index) override;
    int entryCount(ControlId id) const override;
    std::string entryText(ControlId id, int index) const override;
    bool isChecked(ControlId id) const override;
    void setEnabled(ControlId id, bool enabled) override;
    void setFocus(ControlId id) override;
    void refreshControlArea(ControlId id) override;
    void showMessage(std::string_view utf8Text) override;
    void stopPollTimer() override;
    void startPollTimer() override;
    std::optional<std::uint64_t> changeCount() const override { return changes_; }

    // A control reported a change of its text, selection or check state (any control, not only
    // those the poll cycle watches).
    void markChanged() { ++changes_; }

    // Adds an entry at the end of a combo box's list.
    void addEntry(ControlId id, std::string_view text);

    // Timer 1, every 100 ms.
    static constexpr UINT_PTR PollTimer = 1;

  private:
    HWND item(ControlId id) const;

    HWND dialog_ = nullptr;
    ScreenReaderNames names_;
    std::uint64_t changes_ = 0;
    std::set<ControlId> unchanged_;  // texts last set to what they were
};

}  // namespace veltra
