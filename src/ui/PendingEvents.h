#pragma once

#include <cstdint>

#include "core/ControlIds.h"
#include "core/Notification.h"

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

// The notifications that the poll cycle watches, each with the bit it raises. The windows
// report these and no others: every other change is read on the next tick.
struct WatchedNotification {
    ControlId control;
    Notification what;
    PendingEvents event;
};
inline constexpr WatchedNotification WatchedNotifications[] = {
    {ControlId::TimeZone, Notification::SelectionChanged, TimeZoneChanged},
    {ControlId::DateFormat, Notification::SelectionChanged, DateFormatChanged},
    {ControlId::ChannelSelection, Notification::SelectionChanged, ChannelChanged},
    {ControlId::TemperatureUnit, Notification::SelectionChanged, UnitChanged},
    {ControlId::HighTempAlarm, Notification::TextChanged, HighTempAlarmEdited},
    {ControlId::LowTempAlarm, Notification::TextChanged, LowTempAlarmEdited},
    {ControlId::SamplingInterval, Notification::TextChanged, IntervalEdited},
    {ControlId::SetupLock, Notification::Clicked, SetupLockToggled},
    {ControlId::ConfigureButton, Notification::Clicked, ConfigureClicked},
};

// The bit that a control's notification raises; 0 for one that is not watched.
constexpr PendingEvents eventOf(ControlId control, Notification what) {
    for (const WatchedNotification& watched : WatchedNotifications) {
        if (watched.control == control && watched.what == what) {
            return watched.event;
        }
    }
    return 0;
}

constexpr bool isWatched(ControlId control, Notification what) {
    return eventOf(control, what) != 0;
}

}  // namespace veltra
