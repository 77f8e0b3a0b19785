#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/LoggerLocator.h"

namespace veltra::cli {

// The loggers that configure --all and watch work through, each under a drive letter of its
// own: the folders named on the command line (D, E, ... in the order given), or else the
// loggers plugged in.
class LoggerSet {
  public:
    explicit LoggerSet(const std::vector<std::string>& folders);
    ~LoggerSet();

    // The letters that hold a logger now, in the order of `locate`.
    std::vector<char> present();
    // The letters of the folders named, each standing for a logger whether it holds one or
    // not; with none named, those that hold a logger now.
    std::vector<char> named();
    // A locator that sees only the logger at `letter`, for one dialog to configure it. All of
    // them share one scan a round.
    std::unique_ptr<LoggerLocator> only(char letter);
    // Starts a round: the next look at the loggers scans again.
    void newRound() { scan_.reset(); }
    // The drives' roots: the folders named, or those of the loggers plugged in now.
    std::vector<std::filesystem::path> roots();
    // Where the logger at `letter` is, as the user would name it.
    std::string where(char letter) const;

  private:
    class OneLetterLocator;
    // The loggers' entries as this round's one scan found them.
    const std::vector<std::string>& entries();

    std::unique_ptr<LoggerLocator> all_;
    std::optional<std::vector<std::string>> scan_;
    std::vector<std::string> names_;  // the folders as given; empty: the plugged loggers
};

}  // namespace veltra::cli
