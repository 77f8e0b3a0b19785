#include "cli/FleetProgress.h"

namespace veltra::cli {

void FleetProgress::show(const std::vector<Line>& lines) {
    if (!terminal_) {
        for (const Line& line : lines) {
            std::string& told = told_[line.logger];
            if (told != line.state) {
                told = line.state;
                out_ << "  " << line.logger << "  " << line.state << " at " << line.seconds
                     << " s\n"
                     << std::flush;
            }
        }
        return;
    }
    std::string text;
    for (const Line& line : lines) {
        text +=
            "  " + line.logger + "  " + line.state + "  " + std::to_string(line.seconds) + " s\n";
    }
    // Redrawn only when something changed: most ticks change nothing but the tenths.
    if (text == drawn_) {
        return;
    }
    clear();
    out_ << text << std::flush;
    drawn_ = std::move(text);
    rows_ = lines.size();
}

void FleetProgress::clear() {
    if (rows_ > 0) {
        // Up to the first live line's start, then erase to the end of the screen.
        out_ << "\x1b[" << rows_ << "F\x1b[J" << std::flush;
    }
    drawn_.clear();
    rows_ = 0;
}

}  // namespace veltra::cli
