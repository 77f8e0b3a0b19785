#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/linux/UniqueFd.h"

namespace veltra {

// Hands out the mount table only when it has changed. The kernel's mountinfo is watched with
// poll() for POLLPRI, so an unchanged table costs one system call; any other file (a test's
// fixture) is read each time and compared with what was read before. Only a regular file is
// read, and only up to a bound, so that a FIFO, a device or a folder named in its place is
// refused at once.
class MountInfoWatch {
  public:
    // The most that is read of a table; a longer one is refused.
    static constexpr std::size_t Limit = 8 << 20;

    explicit MountInfoWatch(std::filesystem::path path);
    MountInfoWatch(const MountInfoWatch&) = delete;
    MountInfoWatch& operator=(const MountInfoWatch&) = delete;

    // The table's text when it differs from the last one handed out (the first call always
    // hands it out); nothing when it is unchanged. A table that cannot be read is empty.
    std::optional<std::string> changedText();

    // Why the table could not be read the last time; empty when it could.
    const std::string& problem() const { return problem_; }

  private:
    bool procChanged();
    std::string readFile();

    std::filesystem::path path_;
    UniqueFd procFd_;  // the open kernel table, when path_ is one
    bool first_ = true;
    std::string last_;
    std::string problem_;
};

}  // namespace veltra
