#pragma once

#include <cstdint>

namespace veltra {

// The flag word between the controls' notifications and the poll cycle. A notification only
// raises its bit; the next tick clears the bit and does the work.
using PendingEvents = std::uint32_t;

inline constexpr PendingEvents TimeZoneChanged = 0x002;
inline constexpr PendingEvents DateFormatChanged = 0x004;
inline constexpr PendingEvents ChannelChanged = 0x008;
inline constexpr PendingEvents UnitChanged = 0x010;
inline constexpr PendingEvents HighTempAlarmEdited = 0x020;
inline constexpr PendingEvents LowTempAlarmEdited = 0x040;
inline constexpr PendingEvents IntervalEdited = 0x080;
inline constexpr PendingEvents SetupLockToggled = 0x100;
inline constexpr PendingEvents ConfigureClicked = 0x200;

}  // namespace veltra
