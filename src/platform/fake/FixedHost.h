#pragma once

#include "core/Host.h"

namespace veltra {

// A host whose clock and zone are set by hand: tests, demonstrations, and the command
// line's --now and --host-utc-offset.
class FixedHost : public Host {
public:
    FixedHost(LocalTime now, std::int32_t standardOffset) : now_(now), offset_(standardOffset) {}

    LocalTime localTime() const override { return now_; }
    std::int32_t standardUtcOffset() const override { return offset_; }

    void setTime(LocalTime now) { now_ = now; }
    void setStandardUtcOffset(std::int32_t offset) { offset_ = offset; }

private:
    LocalTime now_;
    std::int32_t offset_;
};

}  // namespace veltra
