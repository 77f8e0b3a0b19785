#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ControlIds.h"

namespace veltra {

// The main window's layout, in dialog units, as every front end builds it.
enum class ControlKind { Button, CheckBox, Label, Edit, ComboBox };

struct ControlTemplate {
    ControlId id;
    ControlKind kind;
    std::string_view text;
    int x, y, width, height;  // a combo box's height includes its open list
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
