#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "settings/Clock.h"
#include "support/StateFixture.h"
#include "ui/ClockDisplay.h"

namespace veltra {
namespace {

using test::StateFixture;
using Clock = std::array<std::uint8_t, 6>;

TEST(Clock, ShiftsTheHostTimeIntoTheSelectedZone) {
    const std::tuple<const char*, LocalTime, std::int32_t, Clock> cases[] = {
        {"same zone", {2024, 3, 1, 8, 30, 15}, 0, {24, 3, 1, 8, 30, 15}},
        {"13 hours back, leap day", {2024, 3, 1, 8, 30, 15}, -780, {24, 2, 29, 19, 30, 15}},
        {"-03:30 host, +01:00 zone, new year", {2023, 12, 31, 22, 0, 0}, 270, {24, 1, 1, 2, 30, 0}},
        {"minutes carry", {2024, 5, 5, 10, 30, 59}, 45, {24, 5, 5, 11, 15, 59}},
        {"minutes borrow", {2024, 5, 5, 10, 10, 0}, -45, {24, 5, 5, 9, 25, 0}},
        {"into the leap day", {2024, 2, 28, 23, 0, 0}, 60, {24, 2, 29, 0, 0, 0}},
        {"back to the first of the month", {2024, 5, 2, 0, 30, 0}, -60, {24, 5, 1, 23, 30, 0}},
        {"2000 is a leap year", {2000, 3, 1, 0, 0, 0}, -60, {0, 2, 29, 23, 0, 0}},
        {"no century rule", {2100, 2, 28, 23, 30, 0}, 30, {100, 2, 29, 0, 0, 0}},
        {"a whole day ahead", {2024, 12, 31, 12, 0, 0}, 1440, {25, 1, 1, 12, 0, 0}},
        {"a month outside 1..12 has 31 days", {2024, 0, 31, 23, 30, 0}, 60, {24, 1, 1, 0, 30, 0}},
    };
    for (const auto& [what, local, diff, expected] : cases) {
        EXPECT_EQ(shiftedClock(local, diff), expected) << what;
    }
    // Every month of a common year ends on its own last day, crossed both ways.
    const std::uint8_t last[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (std::uint8_t month = 1; month <= 12; ++month) {
        const std::uint8_t next = month % 12 + 1, year = month == 12 ? 24 : 23;
        const std::uint8_t end = last[month - 1];
        EXPECT_EQ(shiftedClock({2023, month, end, 23, 30, 0}, 60),
                  (Clock{year, next, 1, 0, 30, 0}));
        EXPECT_EQ(shiftedClock({2000 + year, next, 1, 0, 30, 0}, -60),
                  (Clock{23, month, end, 23, 30, 0}));
    }
}

TEST(Clock, TimeZoneSelectionReadsTheListOrTheHost) {
    // The host's offset, the entry chosen (nullptr: none), the offset and entry selected.
    const std::tuple<std::int32_t, const char*, std::int32_t, const char*> cases[] = {
        {480, nullptr, 480, "UTC+08:00"},     {-330, nullptr, -330, "UTC-05:30"},
        {30, nullptr, 30, "UTC+00:30"},       {-30, nullptr, -30, "UTC-00:30"},
        {720, nullptr, 720, "UTC+12:00"},     {-720, nullptr, -720, "UTC-12:00"},
        {345, nullptr, 0, "UTC+00:00"},       {750, nullptr, 0, "UTC+00:00"},  // no entry: UTC
        {INT32_MIN, nullptr, 0, "UTC+00:00"}, {480, "UTC-05:30", -330, "UTC-05:30"},
        {480, "UTC-00:30", -30, "UTC-00:30"}, {-300, "UTC+12:00", 720, "UTC+12:00"},
        {-300, "UTC+00:00", 0, "UTC+00:00"},  {0, "UTC-12:00", -720, "UTC-12:00"},
    };
    for (const auto& [host, chosen, selected, shown] : cases) {
        StateFixture f;
        f.host.setStandardUtcOffset(host);
        for (int i = 0; i < f.controls.entryCount(ControlId::TimeZone); ++i) {
            if (chosen && f.controls.entryText(ControlId::TimeZone, i) == chosen) {
                f.controls.select(ControlId::TimeZone, i);
            }
        }
        applyTimeZoneSelection(f.state);
        EXPECT_EQ(f.state.clockState.hostUtcOffset, host);
        EXPECT_EQ(f.state.clockState.selectedUtcOffset, selected) << host;
        const int index = f.controls.selection(ControlId::TimeZone);
        EXPECT_EQ(f.controls.entryText(ControlId::TimeZone, index), shown) << host;
    }
}

TEST(Clock, TimeTextChangesOnlyWithTheSecondAndTheDateWithItsFormat) {
    StateFixture f;
    DialogState& p = f.state;
    p.clockState.hostUtcOffset = 480;
    f.controls.setText(ControlId::TimeText, "");
    // The host's second, the date format and zone, the time text then and whether the date is
    // asked for.
    const std::tuple<std::uint8_t, int, std::int32_t, const char*, bool> steps[] = {
        {3, 2, 480, "", true},  // a date not shown yet: the date is asked for, the time waits
        {3, 2, 480, "07:05:03", false},
        {3, 2, 480, "07:05:03", false},  // the same second touches no control
        {4, 2, 480, "07:05:04", false},
        {5, 0, 480, "07:05:04", true},
        {5, 0, -720, "07:05:04", true},  // 20 hours back: the day before
    };
    for (const auto& [second, format, zone, time, dateAsked] : steps) {
        SCOPED_TRACE(testing::Message() << int(second) << " " << format << " " << zone);
        const std::string before = f.controls.text(ControlId::TimeText);
        f.host.setTime({2024, 2, 9, 7, 5, second});
        p.dialogValues.dateFormatIndex = format;
        p.clockState.selectedUtcOffset = zone;
        p.pendingEvents = 0;
        f.controls.clearLog();
        updateClock(p);
        EXPECT_EQ(f.controls.text(ControlId::TimeText), time);
        EXPECT_EQ(f.controls.refreshed().size(), before == time ? 0u : 1u);
        EXPECT_EQ(p.pendingEvents, dateAsked ? DateFormatChanged : 0u);
    }
    EXPECT_EQ(p.editParams.clock, (Clock{24, 2, 8, 11, 5, 5}));
    for (auto [format, text] : {std::pair{0, "08/02/2024"}, {1, "02/08/2024"}, {2, "2024/02/08"}}) {
        f.controls.clearLog();
        p.dialogValues.dateFormatIndex = format;
        renderDate(p);
        EXPECT_EQ(f.controls.text(ControlId::DateText), text);
        EXPECT_EQ(f.controls.refreshed(), std::vector<ControlId>{ControlId::DateText});
    }
}

}  // namespace
}  // namespace veltra
