#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cli/Command.h"

namespace veltra::cli {

// veltra-cli's whole command line: the program's flags and every subcommand. The program
// parses with it; the shell completion and the manual page are generated from it.
void addCommands(CLI::App& app, CommandRun& run);

// What to say of arguments that the command line did not take (after CLI11's ExtrasError): an
// option that the command has not, with the command's option nearest to it. Empty when no
// such option was given.
std::string unknownOptionHint(const CLI::App& app);

// The words that the options with a fixed list of values take (option name, words).
std::vector<std::pair<std::string, std::vector<std::string>>> listOptionWords();

}  // namespace veltra::cli
