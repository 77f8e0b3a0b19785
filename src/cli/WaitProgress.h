#pragma once

#include <ostream>
#include <string>

namespace veltra::cli {

// Shows how long a command has waited for a logger: a bar redrawn in place on a terminal,
// otherwise a plain line now and then, so that a log stays readable.
class WaitProgress {
  public:
    WaitProgress(std::ostream& out, bool terminal, int timeoutSeconds)
        : out_(out), terminal_(terminal), timeoutSeconds_(timeoutSeconds) {}
    ~WaitProgress() { finish(); }

    // What is awaited and the whole seconds waited so far; called on every tick.
    void show(const std::string& what, int elapsedSeconds);
    // Ends the bar's line, so that what follows starts on a line of its own.
    void finish();

  private:
    std::ostream& out_;
    bool terminal_;
    int timeoutSeconds_;
    std::string what_;
    int shownSeconds_ = -1;
    bool barOpen_ = false;
};

// Whether standard output is a terminal.
bool outputIsTerminal();
// Whether `stream` (standard output or standard error) is a terminal.
bool streamIsTerminal(const std::ostream& stream);

}  // namespace veltra::cli
