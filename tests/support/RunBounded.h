#pragma once

#include <fcntl.h>
#include <signal.h>
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
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path))) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::string readText(const std::filesystem::path& path) {
    const Bytes bytes = readFile(path);
    return {bytes.begin(), bytes.end()};
}

inline void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// One bounded run of a program: how it ended (a run over its bound is killed) and what it printed.
struct Outcome {
    int exitCode = -1;
    int signal = 0;
    std::string out;
    std::string err;
};

// Runs the program in a process group of its own, with its output in files, for at most
// `bound`. `meanwhile` runs every few milliseconds while the program does, with its id.
inline Outcome runBounded(const std::vector<std::string>& argv, std::chrono::milliseconds bound,
                          const std::function<void(pid_t)>& meanwhile = {}) {
    TempFolder output;
    const auto out = output.path() / "out", err = output.path() / "err";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        ::dup2(::open("/dev/null", O_RDONLY), 0);
        ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT, 0644), 1);
        ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT, 0644), 2);
        std::vector<char*> args;
        for (const std::string& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(-pid, SIGKILL);
        } else if (meanwhile) {
            meanwhile(pid);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            WIFSIGNALED(status) ? WTERMSIG(status) : 0, readText(out), readText(err)};
}

}  // namespace veltra::test
