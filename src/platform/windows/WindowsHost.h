#pragma once

#include "core/Host.h"

namespace veltra {

// The host's clock and zone through the kernel's local time and time-zone information.
class WindowsHost : public Host {
  public:
    LocalTime localTime() const override;
    // The negated Bias: the zone's standard offset, whatever daylight saving is in force.
    std::int32_t standardUtcOffset() const override;
};

}  // namespace veltra
