#pragma once

#include <QColor>
#include <QFont>

class QWidget;

namespace veltra {

// How the windows look: fonts, the background colour and the controls' colours.
namespace dialogLook {

// The main window's font, and the About box's. Both show Latin text, the degree Celsius sign
// and Chinese; the first family carries the metrics the layout is made from.
QFont mainFont();
QFont aboutFont();

QColor background();
// The ring around the control with the keyboard focus, just outside it: black, which stands
// out from the background and from the controls' own frames.
QColor focusRing();
inline constexpr int FocusRingWidth = 2;

// Labels: black text over the window's background.
void styleLabel(QWidget& label);
// The check box: black text over the window's background beside a white box.
void styleCheckBox(QWidget& box);
// Edit fields: red text over the window's background; a read-only field shows black text.
void styleEdit(QWidget& edit, bool readOnly);

}  // namespace dialogLook

}  // namespace veltra
