#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cli/Command.h"

namespace veltra::cli {

// veltra-cli's whole command line: the program's flags and every subcommand. The program
// parses with it; the shell completion and the manual page are generated from it.
void addCommands(CLI::App& app, CommandRun& run);

// The words that the options with a fixed list of values take (option name, words).
std::vector<std::pair<std::string, std::vector<std::string>>> listOptionWords();

}  // namespace veltra::cli
