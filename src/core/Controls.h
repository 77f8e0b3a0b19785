#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/ControlIds.h"

namespace veltra {

// The main window as the core sees it: its controls, addressed by id, plus the few window
// operations that the core needs. Implemented by the Qt window, the Win32 dialog and
// MemoryControls (tests, command line).
//
// Control texts are byte strings in the host's character set, the same bytes that the
// logger's text fields hold. Message texts are UTF-8: they are the program's own words and
// may hold characters (the degree Celsius sign) that the host's character set lacks.
class Controls {
  public:
    virtual ~Controls() = default;

    // The control's current text (an edit field's content, a label's or button's caption).
    virtual std::string text(ControlId id) const = 0;
    // Replaces the text. Works on read-only fields too. Changing an edit field's text reports
    // a text change to the window's notification handlers, as a change by the user would.
    virtual void setText(ControlId id, std::string_view text) = 0;

    // Index of a list's selected entry, -1 when none is selected.
    virtual int selection(ControlId id) const = 0;
    // Selects an entry; an index outside the list leaves it with no selection. Reports no
    // selection change: only the user's choices do.
    virtual void select(ControlId id, int index) = 0;
    virtual int entryCount(ControlId id) const = 0;
    // Text of a list entry; empty for an index outside the list.
    virtual std::string entryText(ControlId id, int index) const = 0;

    virtual bool isChecked(ControlId id) const = 0;
    virtual void setEnabled(ControlId id, bool enabled) = 0;
    virtual void setFocus(ControlId id) = 0;

    // Repaints the window's background behind a control whose text has changed.
    virtual void refreshControlArea(ControlId id) = 0;

    // A modal message box with an OK button; returns when the user has confirmed it.
    virtual void showMessage(std::string_view utf8Text) = 0;

    // Stops and restarts the 100 ms poll timer (timer 1) around a configure request.
    virtual void stopPollTimer() = 0;
    virtual void startPollTimer() = 0;

    // A count that moves on with every change of any control's text, selection or check state,
    // by the user or by the program: what was read at one count still holds while it stays.
    // Nothing from a window that cannot tell; its controls are read every time.
    virtual std::optional<std::uint64_t> changeCount() const { return std::nullopt; }
};

}  // namespace veltra
