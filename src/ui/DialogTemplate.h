#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ControlIds.h"

namespace veltra {

// The main window's layout, in dialog units, as every front end builds it.
enum class ControlKind { Button, CheckBox, Label, Edit, ComboBox };

// What a label tells of the control beside it: its name (the label before it) or its unit (the
// label after it). Screen readers and the window's messages take names and units from here.
struct LabelFor {
    enum Role { Nothing, Name, Unit } role = Nothing;
    ControlId control = ControlId::None;
};
constexpr LabelFor nameOf(ControlId id) {
    return {LabelFor::Name, id};
}
constexpr LabelFor unitOf(ControlId id) {
    return {LabelFor::Unit, id};
}

struct ControlTemplate {
    ControlId id;
    ControlKind kind;
    std::string_view text;
    int x, y, width, height;  // a combo box's height includes its open list
    LabelFor labelFor = {};   // labels only
    bool readOnly = false;
};

struct DialogTemplate {
    std::string_view title;
    int width, height;      // dialog units
    std::string_view font;  // face and point size of the dialog font
    int fontPointSize;
    std::span<const ControlTemplate> controls;  // template order, which is also the tab order
};

// Template 102, the main window.
const DialogTemplate& mainDialogTemplate();

// The name of a labelled control: its label's text without the colon ("Time Delay"); empty for a
// control without a label (the button and the check box carry their own text).
std::string_view controlName(ControlId id);
// The label that gives a control's unit ("Min.", "%RH", the alarms' unit), or null for none.
const ControlTemplate* unitLabel(ControlId id);
// The control whose unit a label (with an id of its own, its text changing) gives; None for none.
ControlId unitOwner(ControlId label);

// The entries of the combo boxes, index 0 first, that stand for values of the settings.
inline constexpr std::string_view UnitEntries[] = {"Celsius", "Fahrenheit"};
inline constexpr std::string_view LanguageEntries[] = {"English", "Chinese"};
inline constexpr std::string_view ChannelEntries[] = {"Temperature", "Humidity", "Temp+Humidity"};
inline constexpr std::string_view DateFormatEntries[] = {"DD/MM/YYYY", "MM/DD/YYYY", "YYYY/MM/DD"};

// The entries of a combo box, index 0 first; empty for other controls.
std::span<const std::string_view> listEntries(ControlId id);

// The colour behind everything: red 113, green 154, blue 210.
struct Rgb {
    int red, green, blue;
};
inline constexpr Rgb BackgroundColour{113, 154, 210};

}  // namespace veltra
