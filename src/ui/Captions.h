#pragma once

#include <string>
#include <string_view>

#include "settings/NumberText.h"

// The configure button's captions, which carry the window's state towards the user.
namespace veltra::caption {

inline constexpr std::string_view PlugLogger = "Plug Logger";  // no logger, as the window opens
inline constexpr std::string_view WriteFailed = "Plug logger";
inline constexpr std::string_view Configuring = "Configuring...";
inline constexpr std::string_view FirmwareUpgrade = "Firmware Upgrade";

// The logger is shown and can be configured.
inline std::string configure(char drive) {
    return formatText("Configure (%c)", drive);
}

// The upgraded logger is away; about this many seconds are left.
inline std::string upgrading(int seconds) {
    return formatText("Upgrading(%d)", seconds);
}

}  // namespace veltra::caption
