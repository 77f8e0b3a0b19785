#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <iostream>
#include <set>
#include <thread>

#include "cli/Command.h"
#include "cli/ConfigureOptions.h"
#include "cli/FleetRun.h"
#include "cli/LoggerSet.h"
#include "cli/OutcomeReport.h"
#include "cli/StopSignals.h"
#include "cli/WaitProgress.h"
#include "ui/PollState.h"

namespace veltra::cli {

namespace {

struct WatchOptions : ConfigureOptions {
    int count = 0;  // none: until interrupted
    bool json = false;
};

int watch(WatchOptions& options) {
    const auto host = prepare(options);
    if (!host) {
        return ExitInvalid;
    }
    LoggerSet set(options.drives);
    OutcomeReport report(options.json, true, options.request.verify);
    if (const int opened = report.openLog(options.log, set.roots()); opened != ExitOk) {
        return opened;
    }
    // Each logger is seen through its upgrade and back from taking its settings, so that its
    // return is not taken for a new plug-in.
    options.request.wait = true;
    options.request.awaitReturn = true;
    catchStopSignals();

    // With --json standard output carries the records alone.
    std::ostream& talk = options.json ? std::cerr : std::cout;
    talk << "Waiting for loggers; each one plugged in is configured once. Ctrl+C ends.\n"
         << std::flush;
    FleetProgress live(talk, streamIsTerminal(talk));
    FleetRun fleet(set, *host, options.request, report, live, true);
    std::set<char> handled;  // letters whose logger was configured and is still plugged in
    int count = 0;
    auto more = [&] { return options.count == 0 || count < options.count; };
    while (!stopSignalled() && !report.stopped() && (more() || fleet.busy())) {
        fleet.round();
        // One that did not come back in time is configured again when it does.
        for (const auto& [letter, exitCode] : fleet.takeFinished()) {
            if (exitCode != ExitPending) {
                handled.insert(letter);
            }
        }
        const std::vector<char> present = set.present();
        std::erase_if(handled, [&](char letter) {
            return std::find(present.begin(), present.end(), letter) == present.end();
        });
        for (const char letter : present) {
            if (more() && !handled.contains(letter) && !fleet.running(letter) && !stopSignalled() &&
                !report.stopped()) {
                fleet.add(letter, ++count);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(PollPeriodMs));
    }
    // Runs cut short by Ctrl+C end at their next step, each with its record; after a record
    // could not be kept, those written still wait for their loggers.
    while (fleet.busy()) {
        fleet.round();
        if (fleet.busy()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(PollPeriodMs));
        }
    }
    live.clear();
    // Ctrl+C is how watch ends: it counts as a failure only for a logger it cut short.
    talk << count << (count == 1 ? " logger" : " loggers") << " configured"
         << (stopSignalled() ? "; interrupted." : ".") << "\n";
    return fleet.worst();
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
    command->add_flag("--json", options->json,
                      "print each logger's record (as --log writes it) as it is logged, one "
                      "JSON object a line, in place of the text");
    command->callback([options, &run] {
        finishParsing(*options);
        run = [options] { return watch(*options); };
    });
}

}  // namespace veltra::cli
