#pragma once

#include <cstdint>

namespace veltra {

// A wall-clock time of the host, in its own zone.
struct LocalTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// What the core asks of the host computer.
class Host {
  public:
    virtual ~Host() = default;

    // The host's local wall-clock time, daylight saving included.
    virtual LocalTime localTime() const = 0;

    // The host's standard offset from UTC in minutes east of UTC, without daylight saving
    // (a host at UTC+08:00 answers 480).
    virtual std::int32_t standardUtcOffset() const = 0;
};

}  // namespace veltra
