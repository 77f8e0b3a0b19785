#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace veltra::cli {

// How far the waits of many loggers are: on a terminal, one live line for each logger still at
// work, redrawn in place; otherwise a plain line whenever a logger's state changes, so that a
// log stays readable.
class FleetProgress {
  public:
    struct Line {
        std::string logger;  // where it is and its serial
        std::string state;   // "waiting", "away", "back"
        int seconds = 0;     // waited so far
    };

    FleetProgress(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}
    ~FleetProgress() { clear(); }

    // The loggers at work now, in a steady order.
    void show(const std::vector<Line>& lines);
    // Takes the live lines away, so that what is printed next takes their place.
    void clear();

  private:
    std::ostream& out_;
    bool terminal_;
    std::string drawn_;                        // the live lines on the terminal now
    std::size_t rows_ = 0;                     // how many
    std::map<std::string, std::string> told_;  // the last state printed, by logger
};

}  // namespace veltra::cli
