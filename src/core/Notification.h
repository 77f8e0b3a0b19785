#pragma once

#include "core/ControlIds.h"

namespace veltra {

// What a window reports about one of its controls. The window forwards every such report to
// the poll cycle, which only raises the matching event bit; the work follows on the next tick.
enum class Notification {
    TextChanged,       // an edit field's text changed, by the user or by the program
    SelectionChanged,  // the user chose a list entry
    Clicked,           // the user clicked a button or check box
};

}  // namespace veltra
