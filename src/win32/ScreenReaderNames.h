#pragma once

#include <windows.h>
// After windows.h.
#include <oleacc.h>

#include <string_view>

#include "core/ControlIds.h"

namespace veltra {

// What screen readers tell of each control of the main window: the name and the unit from
// the control table, given to the accessibility interface as annotations. Windows would
// otherwise name a field after the label just before it in the template, which here is often
// another field's label or unit.
class ScreenReaderNames {
  public:
    ScreenReaderNames() = default;
    ScreenReaderNames(const ScreenReaderNames&) = delete;
    ScreenReaderNames& operator=(const ScreenReaderNames&) = delete;
    ~ScreenReaderNames() { detach(); }

    // Names the controls of `dialog` once it exists; without the interface (a system that has
    // none), the controls keep the platform's names.
    void attach(HWND dialog);
    // Takes the annotations back, as the window goes.
    void detach();
    // A unit label's text changed (the alarms' temperature unit): its control's description
    // follows it.
    void unitShown(ControlId label, std::string_view utf8Text);

  private:
    void annotate(HWND control, const MSAAPROPID& property, std::string_view utf8Text);

    HWND dialog_ = nullptr;
    IAccPropServices* services_ = nullptr;
    bool comStarted_ = false;
};

}  // namespace veltra
