#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "support/TempFolder.h"

namespace veltra::test {

// One run of the built veltra-cli: its exit code and what it printed.
struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string quoted(const std::string& text) {
    std::string result = "'";
    for (char c : text) {
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return result + "'";
}

inline std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs veltra-cli with the arguments (each passed as one word). A run that hangs is ended after
// two minutes (exit code 124), so that a command that waits forever fails its test.
inline CliResult runCli(const std::vector<std::string>& args) {
    TempFolder output;
    std::string command = "timeout 120 " + quoted(VELTRA_CLI);
    for (const std::string& arg : args) {
        command += " " + quoted(arg);
    }
    command += " >" + quoted((output.path() / "out").string()) + " 2>" +
               quoted((output.path() / "err").string()) + " </dev/null";
    const int status = std::system(command.c_str());
    CliResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = slurp(output.path() / "out");
    result.err = slurp(output.path() / "err");
    return result;
}

}  // namespace veltra::test
