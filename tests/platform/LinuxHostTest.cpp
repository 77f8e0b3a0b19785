#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

#include "core/HostCharset.h"
#include "platform/linux/LinuxHost.h"

namespace veltra::test {
namespace {

void setZone(const char* zone) {
    zone ? ::setenv("TZ", zone, 1) : ::unsetenv("TZ");
    ::tzset();
}

TEST(LinuxHost, TheZoneGivesTheClockAndAStandardOffsetWithoutSummerTime) {
    // Midsummer in the north: the zones' clocks run an hour ahead where summer time is kept.
    const std::time_t july2026 = 1783000000;
    const std::pair<const char*, std::int32_t> cases[] = {
        {"UTC0", 0},
        {"CET-1CEST,M3.5.0,M10.5.0/3", 60},     // summer time in July
        {"EST5EDT,M3.2.0,M11.1.0", -300},       // summer time in July
        {"AEST-10AEDT,M10.1.0,M4.1.0/3", 600},  // summer time in January
        {"IST-5:30", 330},
        {"<-0330>3:30", -210},
    };
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    for (const auto& [zone, standard] : cases) {
        setZone(zone);
        EXPECT_EQ(LinuxHost::standardUtcOffsetAt(july2026), standard) << zone;
    }
    // The clock is read in the host's zone, its months counted from 1.
    using namespace std::chrono;
    setZone("IST-5:30");
    const LocalTime t = LinuxHost().localTime();
    const auto read = sys_days(year(t.year) / static_cast<unsigned>(t.month) / t.day) +
                      hours(t.hour) + minutes(t.minute) + seconds(t.second);
    EXPECT_LT(abs(read - floor<seconds>(system_clock::now()) - minutes(330)), seconds(3));
    setZone(old ? saved.c_str() : nullptr);
}

// More text than one pass of the converter's buffer takes is converted whole.
TEST(HostCharset, LongTextsConvertWhole) {
    const std::string text(1000, 'a');
    EXPECT_EQ(hostTextToUtf8(text), text);
    EXPECT_EQ(utf8ToHostText(text), text);
}

}  // namespace
}  // namespace veltra::test
