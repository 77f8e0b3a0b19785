#pragma once

#include <filesystem>
#include <functional>
#include <optional>

#include "core/DriveFiles.h"

namespace veltra {

// The logger's files on a mounted drive: each drive letter maps to the folder that is the
// drive's root. A session holds the root folder open and looks every file up relative to it,
// never through a link; its lock is a flock() on the root folder. Reads bypass the page cache
// so that what the logger wrote is what is seen.
class FolderDriveFiles : public DriveFiles {
  public:
    using RootOf = std::function<std::optional<std::filesystem::path>(char drive)>;

    explicit FolderDriveFiles(RootOf rootOf) : rootOf_(std::move(rootOf)) {}

    DriveOpening open(char drive, std::optional<std::chrono::milliseconds> lockWait) override;

  private:
    RootOf rootOf_;
};

}  // namespace veltra
