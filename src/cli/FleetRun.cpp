#include "cli/FleetRun.h"

#include <algorithm>
#include <iostream>
#include <sstream>

namespace veltra::cli {

struct FleetRun::Entry {
    char letter;
    int n;
    std::unique_ptr<LoggerLocator> locator;
    // What a logger's run prints beside its record: kept back, since its line says it all.
    std::ostringstream quiet;
    std::unique_ptr<ConfigureRun> run;
};

FleetRun::FleetRun(LoggerSet& set, Host& host, const ConfigureRequest& request,
                   OutcomeReport& report, FleetProgress& progress, bool numbered)
    : set_(set),
      host_(host),
      request_(request),
      report_(report),
      progress_(progress),
      numbered_(numbered) {}

FleetRun::~FleetRun() = default;

void FleetRun::add(char letter, int n) {
    auto entry = std::make_unique<Entry>();
    entry->letter = letter;
    entry->n = n;
    entry->locator = set_.only(letter);
    // Failures go to standard error as they happen; the live lines step aside for them.
    progress_.clear();
    entry->run = std::make_unique<ConfigureRun>(
        *entry->locator, host_, request_, set_.where(letter),
        "the logger's DAT.SRC could not be read", n, entry->quiet, std::cerr);
    entry->run->start();
    runs_.push_back(std::move(entry));
    reportDone();
}

void FleetRun::round() {
    set_.newRound();
    for (const auto& entry : runs_) {
        entry->run->step();
    }
    reportDone();
}

bool FleetRun::running(char letter) const {
    return std::any_of(runs_.begin(), runs_.end(),
                       [letter](const auto& entry) { return entry->letter == letter; });
}

std::vector<std::pair<char, int>> FleetRun::takeFinished() {
    return std::exchange(finished_, {});
}

void FleetRun::reportDone() {
    std::vector<FleetProgress::Line> lines;
    for (auto it = runs_.begin(); it != runs_.end();) {
        const ConfigureRun& run = *(*it)->run;
        if (!run.done()) {
            const Outcome& o = run.outcome();
            lines.push_back({o.where + "  serial " + std::to_string(o.device.deviceSerial),
                             std::string(run.state()), run.secondsWaited()});
            ++it;
            continue;
        }
        progress_.clear();
        std::string prefix;
        if (numbered_) {
            prefix.append("[").append(std::to_string((*it)->n)).append("] ");
        }
        const int exitCode = report_.add(run.outcome(), prefix);
        worst_ = std::max(worst_, exitCode);
        finished_.emplace_back((*it)->letter, run.outcome().exitCode);
        it = runs_.erase(it);
    }
    progress_.show(lines);
}

}  // namespace veltra::cli
