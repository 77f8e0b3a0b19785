#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <iostream>
#include <set>
#include <sstream>
#include <thread>

#include "cli/Command.h"
#include "cli/ConfigureOptions.h"
#include "cli/LoggerSet.h"
#include "cli/OutcomeReport.h"
#include "cli/StopSignals.h"
#include "ui/PollState.h"

namespace veltra::cli {

namespace {

struct WatchOptions : ConfigureOptions {
    int count = 0;  // none: until interrupted
};

int watch(WatchOptions& options) {
    const auto host = prepare(options);
    if (!host) {
        return ExitInvalid;
    }
    LoggerSet set(options.drives);
    OutcomeReport report(false, true, options.request.verify);
    if (const int opened = report.openLog(options.log, set.roots()); opened != ExitOk) {
        return opened;
    }
    // Each logger is seen through its upgrade and back from taking its settings, so that its
    // return is not taken for a new plug-in.
    options.request.wait = true;
    options.request.awaitReturn = true;
    catchStopSignals();

    std::cout << "Waiting for loggers; each one plugged in is configured once. Ctrl+C ends.\n"
              << std::flush;
    std::set<char> handled;  // letters whose logger was configured and is still plugged in
    int count = 0;
    int worst = ExitOk;
    while (!stopSignalled() && !report.stopped() && (options.count == 0 || count < options.count)) {
        const std::vector<char> present = set.present();
        std::erase_if(handled, [&](char letter) {
            return std::find(present.begin(), present.end(), letter) == present.end();
        });
        for (const char letter : present) {
            if (handled.contains(letter) || (options.count != 0 && count >= options.count) ||
                stopSignalled() || report.stopped()) {
                continue;
            }
            std::ostringstream quiet;
            const auto locator = set.only(letter);
            const Outcome outcome =
                configureAt(*locator, *host, options.request, set.where(letter),
                            "the logger's DAT.SRC could not be read", quiet, std::cerr);
            ++count;
            worst = std::max(worst, report.add(outcome, "[" + std::to_string(count) + "] "));
            // One that did not come back in time is configured again when it does.
            if (outcome.exitCode != ExitPending) {
                handled.insert(letter);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(PollPeriodMs));
    }
    // Ctrl+C is how watch ends: it counts as a failure only for a logger it cut short.
    std::cout << count << (count == 1 ? " logger" : " loggers") << " configured"
              << (stopSignalled() ? "; interrupted." : ".") << "\n";
    return worst;
}

}  // namespace

void addWatchCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<WatchOptions>();
    CLI::App* command = app.add_subcommand(
        "watch",
        "Wait for loggers and configure each one as it is plugged in (completing an upgrade as "
        "--wait does), one line each, until Ctrl+C or --count loggers");
    command->add_option("--drive", options->drives,
                        "a folder that stands for a logger's drive, watched in place of the "
                        "loggers plugged in; may be given more than once");
    addSharedOptions(*command, *options, false);
    command->add_option("--count", options->count, "end after this many loggers")
        ->check(CLI::Range(1, 1000000));
    command->callback([options, &run] {
        finishParsing(*options);
        run = [options] { return watch(*options); };
    });
}

}  // namespace veltra::cli
