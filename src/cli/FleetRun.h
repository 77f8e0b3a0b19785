#pragma once

#include <memory>
#include <vector>

#include "cli/ConfigureRun.h"
#include "cli/FleetProgress.h"
#include "cli/LoggerSet.h"
#include "cli/OutcomeReport.h"

namespace veltra::cli {

// Configures many loggers on one thread: each logger's settings are written alone, as it is
// added; the waits for the loggers to go away and come back then run side by side, each with
// its own deadline, one poll period a round. Each logger is reported once it is done.
class FleetRun {
  public:
    // `numbered`: each logger's line starts with its place in the run, "[3] ".
    FleetRun(LoggerSet& set, Host& host, const ConfigureRequest& request, OutcomeReport& report,
             FleetProgress& progress, bool numbered);
    ~FleetRun();

    // Shows the logger at `letter` and writes its settings, as the run's `n`th logger.
    void add(char letter, int n);
    // A poll period on: one scan of the loggers, then every wait moves on.
    void round();
    // Whether a logger's run is still at work, and whether the one at `letter` is.
    bool busy() const { return !runs_.empty(); }
    bool running(char letter) const;
    // Letters whose logger's run ended since the last call, with what it came to.
    std::vector<std::pair<char, int>> takeFinished();
    // The highest exit code of the loggers reported.
    int worst() const { return worst_; }

  private:
    struct Entry;
    void reportDone();

    LoggerSet& set_;
    Host& host_;
    const ConfigureRequest& request_;
    OutcomeReport& report_;
    FleetProgress& progress_;
    bool numbered_;
    std::vector<std::unique_ptr<Entry>> runs_;
    std::vector<std::pair<char, int>> finished_;
    int worst_ = 0;
};

}  // namespace veltra::cli
