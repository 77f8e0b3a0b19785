#pragma once

#include "support/RunBounded.h"

namespace veltra::test {

// Runs the built veltra-cli with these arguments; a run that hangs is ended after two minutes.
inline Outcome runCli(std::vector<std::string> args) {
    args.insert(args.begin(), VELTRA_CLI);
    return runBounded(args, std::chrono::minutes(2));
}

}  // namespace veltra::test
