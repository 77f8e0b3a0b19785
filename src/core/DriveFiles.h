#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace veltra {

// A file being written to the logger's drive.
class OutputFile {
  public:
    // Dropping a file without finish() closes it without any promise about its contents.
    virtual ~OutputFile() = default;

    // Writes all bytes; false when any of them could not be written.
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;

    // Makes the written bytes durable on the device (flush, sync the file and the drive's
    // root folder) and closes the file. False when any of that failed.
    virtual bool finish() = 0;
};

// The file operations on the logger's drive. A drive is named by its letter; the
// implementation knows which folder is that drive's root. Only files in the root are ever
// touched, and never through a link.
class DriveFiles {
  public:
    virtual ~DriveFiles() = default;

    // Reads up to dest.size() bytes of the named file from the device (not from a cache
    // that the logger may have outdated). The count read, or nothing when the file cannot
    // be opened or read.
    virtual std::optional<std::size_t> read(char drive, std::string_view name,
                                            std::span<std::uint8_t> dest) = 0;

    // Creates or truncates the named file for writing. Null when it cannot be opened.
    virtual std::unique_ptr<OutputFile> create(char drive, std::string_view name) = 0;
};

}  // namespace veltra
