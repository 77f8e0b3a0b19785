#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "support/TempFolder.h"

namespace veltra::test {

using Bytes = std::vector<std::uint8_t>;

// The bytes of a regular file; nothing for a pipe or a link.
inline Bytes readFile(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::string readText(const std::filesystem::path& path) {
    const Bytes bytes = readFile(path);
    return {bytes.begin(), bytes.end()};
}

// One bounded run of a program: how it ended and what it printed.
struct Outcome {
    bool hung = false;
    int exitCode = -1;
    int signal = 0;  // the signal that ended it, if one did
    std::string out;
    std::string err;
};

// Runs the program in a process group of its own, with its output in files, for at most
// `bound`; the group is killed when the bound is over. `meanwhile` runs every few
// milliseconds while the program does, with its process id.
inline Outcome runBounded(const std::vector<std::string>& argv, std::chrono::milliseconds bound,
                          const std::function<void(pid_t)>& meanwhile = {}) {
    TempFolder output;
    const std::string outPath = (output.path() / "out").string();
    const std::string errPath = (output.path() / "err").string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        ::dup2(::open("/dev/null", O_RDONLY), 0);
        ::dup2(::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        std::vector<char*> args;
        for (const std::string& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    Outcome run;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            run.hung = true;
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        if (meanwhile) {
            meanwhile(pid);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    run.out = readText(outPath);
    run.err = readText(errPath);
    return run;
}

}  // namespace veltra::test
