#pragma once

#include "core/DriveFiles.h"
#include "platform/DriveFilesFactory.h"

namespace veltra {

// The logger's files in the root of a drive letter ("E:\CONFIG.CFG"). Files are opened in
// binary, never through a reparse point (a link or junction put in the logger's root), and
// only regular disk files are used. Reads bypass the system cache, so that they see what the
// logger's firmware wrote and, after a write, what reached the device.
class DriveLetterFiles : public DriveFiles {
  public:
    // The drive's own root, "E:\".
    DriveLetterFiles();
    // Another folder per letter (a folder given on the command line, tests).
    explicit DriveLetterFiles(DriveRootOf rootOf) : rootOf_(std::move(rootOf)) {}

    std::optional<std::size_t> read(char drive, std::string_view name,
                                    std::span<std::uint8_t> dest) override;
    std::unique_ptr<OutputFile> create(char drive, std::string_view name) override;

  private:
    std::optional<std::filesystem::path> pathOf(char drive, std::string_view name) const;

    DriveRootOf rootOf_;
};

}  // namespace veltra
