#pragma once

#include <ctime>

#include "core/Host.h"

namespace veltra {

// The host's clock and time zone through the C library's local-time rules (TZ).
class LinuxHost : public Host {
  public:
    LocalTime localTime() const override;
    std::int32_t standardUtcOffset() const override;

    // The standard offset in the year of `now`: the smaller offset of mid-January and
    // mid-July, since summer time only ever adds to it (south or north of the equator).
    static std::int32_t standardUtcOffsetAt(std::time_t now);
};

}  // namespace veltra
