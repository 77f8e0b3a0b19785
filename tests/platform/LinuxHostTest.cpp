#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/linux/LinuxHost.h"

namespace veltra::test {
namespace {

// Sets TZ for the lifetime of the object.
class TimeZone {
public:
    explicit TimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            saved_ = old;
        }
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZone() {
        if (saved_.empty()) {
            ::unsetenv("TZ");
        } else {
            ::setenv("TZ", saved_.c_str(), 1);
        }
        ::tzset();
    }

private:
    std::string saved_;
};

TEST(LinuxHost, StandardOffsetLeavesSummerTimeOut) {
    // Midsummer in the north: the zones' clocks run an hour ahead where summer time is kept.
    const std::time_t july2026 = 1783000000;
    const struct {
        const char* zone;
        std::int32_t standard;
    } cases[] = {
        {"UTC0", 0},
        {"CET-1CEST,M3.5.0,M10.5.0/3", 60},       // summer time in July
        {"EST5EDT,M3.2.0,M11.1.0", -300},         // summer time in July
        {"AEST-10AEDT,M10.1.0,M4.1.0/3", 600},    // summer time in January
        {"IST-5:30", 330},
        {"<-0330>3:30", -210},
    };
    for (const auto& c : cases) {
        TimeZone zone(c.zone);
        EXPECT_EQ(LinuxHost::standardUtcOffsetAt(july2026), c.standard) << c.zone;
    }
}

}  // namespace
}  // namespace veltra::test
