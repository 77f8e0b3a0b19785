#include <gtest/gtest.h>

#include <sstream>

#include "cli/FleetProgress.h"
#include "cli/OutcomeReport.h"
#include "cli/WaitProgress.h"

namespace veltra::test {
namespace {

// The bar on a terminal is redrawn in place once a second; off a terminal a plain line is
// printed when a wait starts and every ten seconds, so that a log stays readable.
TEST(Progress, OneLoggersWait) {
    auto bar = [](int filled) {
        return "[" + std::string(filled, '#') + std::string(30 - filled, '.') + "] ";
    };
    const std::pair<bool, std::string> cases[] = {
        {true, "\r  upgrade " + bar(10) + "10/30 s \r  upgrade " + bar(15) +
                   "15/30 s \r  upgrade " + bar(20) + "20/30 s \r  upgrade " + bar(30) +
                   "31/30 s \n\r  settings " + bar(0) + "0/30 s \n"},
        {false,
         "  upgrade: 10 s of at most 30 s\n  upgrade: 20 s of at most 30 s\n"
         "  settings: 0 s of at most 30 s\n"},
    };
    for (const auto& [terminal, shown] : cases) {
        std::ostringstream out;
        {
            cli::WaitProgress progress(out, terminal, 30);
            for (const int seconds : {10, 10, 15, 20, 31}) {
                progress.show("upgrade", seconds);
            }
            progress.show("settings", 0);
        }
        EXPECT_EQ(out.str(), shown) << terminal;
    }
}

// Many loggers' waits: on a terminal the live lines are redrawn only when they change and
// taken away before anything else is printed; off a terminal a line a change of state.
TEST(Progress, ManyLoggersWaits) {
    const std::pair<bool, std::string> cases[] = {
        {true,
         "  a  waiting  1 s\n  b  waiting  1 s\n\x1b[2F\x1b[J  a  away  2 s\n  b  waiting  2 s\n"
         "\x1b[2F\x1b[J  b  back  3 s\n\x1b[1F\x1b[J"},
        {false, "  a  waiting at 1 s\n  b  waiting at 1 s\n  a  away at 2 s\n  b  back at 3 s\n"},
    };
    using Line = cli::FleetProgress::Line;
    for (const auto& [terminal, shown] : cases) {
        std::ostringstream out;
        {
            cli::FleetProgress progress(out, terminal);
            progress.show({Line{"a", "waiting", 1}, Line{"b", "waiting", 1}});
            progress.show({Line{"a", "waiting", 1}, Line{"b", "waiting", 1}});
            progress.show({Line{"a", "away", 2}, Line{"b", "waiting", 2}});
            progress.show({Line{"b", "back", 3}});
        }
        EXPECT_EQ(out.str(), shown) << terminal;
    }
}

// One logger's line in a run over many: its serial, the result, what differs or why it failed,
// and what the logger keeps otherwise than given.
TEST(Progress, SummaryLines) {
    cli::Outcome configured;
    configured.where = "/media/a";
    configured.shown = true;
    configured.device.deviceSerial = 7;
    configured.verified = true;
    configured.adjusted = {{"high-temp", "9.27", "9.25", "the logger keeps 0.05 °C steps"}};
    cli::Outcome differs = configured;
    differs.exitCode = 5;
    differs.verified = false;
    differs.differences = {{"unit", "celsius", "fahrenheit"}, {"device-name", "a", "b"}};
    differs.adjusted.clear();
    differs.message = "not as written";  // the differences say it
    cli::Outcome failed;
    failed.where = "/media/b";
    failed.exitCode = 3;
    failed.message = "the drive is full";
    cli::Outcome skipped = configured;
    skipped.notInPlan = true;
    skipped.verified.reset();
    skipped.adjusted.clear();
    const std::pair<cli::Outcome, std::string> cases[] = {
        {configured,
         "/media/a  serial 7  configured, verified; high-temp 9.27 → 9.25 (the logger keeps "
         "0.05 °C steps)"},
        {differs, "/media/a  serial 7  differs: unit, device-name"},
        {failed, "/media/b  serial unknown  failed: the drive is full"},
        {skipped, "/media/a  serial 7  not in the plan"},
    };
    for (const auto& [outcome, line] : cases) {
        EXPECT_EQ(cli::summaryLine(outcome), line);
    }
}

}  // namespace
}  // namespace veltra::test
