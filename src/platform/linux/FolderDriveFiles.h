#pragma once

#include <filesystem>
#include <functional>
#include <optional>

#include "core/DriveFiles.h"

namespace veltra {

// The logger's files on a mounted drive: each drive letter maps to the folder that is the
// drive's root. Files are opened relative to the root folder, never through a link, and
// reads bypass the page cache so that what the logger wrote is what is seen.
class FolderDriveFiles : public DriveFiles {
  public:
    using RootOf = std::function<std::optional<std::filesystem::path>(char drive)>;

    explicit FolderDriveFiles(RootOf rootOf) : rootOf_(std::move(rootOf)) {}
    // Every letter names the same folder (a drive given on the command line).
    static RootOf fixedRoot(std::filesystem::path root);

    std::optional<std::size_t> read(char drive, std::string_view name,
                                    std::span<std::uint8_t> dest) override;
    std::unique_ptr<OutputFile> create(char drive, std::string_view name) override;

  private:
    RootOf rootOf_;
};

}  // namespace veltra
