#include "cli/WaitProgress.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace veltra::cli {

namespace {

constexpr int BarWidth = 30;
constexpr int PlainLineSeconds = 10;

}  // namespace

void WaitProgress::show(const std::string& what, int elapsedSeconds) {
    const bool fresh = what != what_;
    if (!fresh && elapsedSeconds == shownSeconds_) {
        return;
    }
    if (terminal_) {
        if (fresh) {
            finish();  // a new wait starts on a line of its own
        }
        const int filled = std::min(BarWidth, elapsedSeconds * BarWidth / timeoutSeconds_);
        out_ << "\r  " << what << " [" << std::string(static_cast<std::size_t>(filled), '#')
             << std::string(static_cast<std::size_t>(BarWidth - filled), '.') << "] "
             << elapsedSeconds << "/" << timeoutSeconds_ << " s " << std::flush;
        barOpen_ = true;
    } else if (fresh || elapsedSeconds % PlainLineSeconds == 0) {
        out_ << "  " << what << ": " << elapsedSeconds << " s of at most " << timeoutSeconds_
             << " s\n"
             << std::flush;
    }
    what_ = what;
    shownSeconds_ = elapsedSeconds;
}

void WaitProgress::finish() {
    if (barOpen_) {
        out_ << "\n" << std::flush;
        barOpen_ = false;
    }
}

bool outputIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdout)) != 0;
#else
    return isatty(STDOUT_FILENO) != 0;
#endif
}

bool streamIsTerminal(const std::ostream& stream) {
    if (&stream != &std::cerr) {
        return outputIsTerminal();
    }
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

}  // namespace veltra::cli
