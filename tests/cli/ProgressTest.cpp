#include <gtest/gtest.h>

#include <sstream>

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

// One logger's line in a run over many: its serial, the result, what differs or why it failed,
// and what the logger keeps otherwise than given.
TEST(Progress, SummaryLines) {
    cli::Outcome differs;
    differs.exitCode = 5;
    differs.where = "/media/a";
    differs.shown = true;
    differs.device.deviceSerial = 7;
    differs.differences = {{"unit", "celsius", "fahrenheit"}, {"device-name", "a", "b"}};
    differs.message = "not as written";  // the differences say it
    differs.adjusted = {{"high-temp", "9.27", "9.25", "the logger keeps 0.05 °C steps"}};
    cli::Outcome failed;
    failed.where = "/media/b";
    failed.exitCode = 3;
    failed.message = "the drive is full";
    const std::pair<cli::Outcome, std::string> cases[] = {
        {differs,
         "/media/a  serial 7  differs: unit, device-name; high-temp 9.27 → 9.25 (the logger "
         "keeps 0.05 °C steps)"},
        {failed, "/media/b  serial unknown  failed: the drive is full"},
    };
    for (const auto& [outcome, line] : cases) {
        EXPECT_EQ(cli::summaryLine(outcome), line);
    }
}

}  // namespace
}  // namespace veltra::test
