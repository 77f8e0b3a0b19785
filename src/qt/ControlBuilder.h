#pragma once

#include "qt/DialogUnits.h"
#include "ui/DialogTemplate.h"

class QWidget;

namespace veltra {

class QtControls;

// Creates the template's controls on the window, in template order (which is the tab order),
// fills the lists, and hands every control with an id to `controls`.
void buildControls(const DialogTemplate& dialog, const DialogUnits& units, QWidget& window,
                   QtControls& controls);

}  // namespace veltra
