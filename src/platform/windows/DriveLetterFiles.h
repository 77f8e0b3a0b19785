#pragma once

#include "core/DriveFiles.h"
#include "platform/DriveFilesFactory.h"

namespace veltra {

// The logger's files in the root of a drive letter ("E:\CONFIG.CFG"). A session holds the
// root folder open and checks that every file it opens lies on the root's volume; its lock is
// a mutex named after the volume's serial number. Files are opened in binary, never through a
// reparse point (a link or junction put in the logger's root), and only regular disk files
// are used. Reads bypass the system cache, so that they see what the logger's firmware wrote
// and, after a write, what reached the device.
class DriveLetterFiles : public DriveFiles {
  public:
    // The drive's own root, "E:\".
    DriveLetterFiles();
    // Another folder per letter (a folder given on the command line, tests).
    explicit DriveLetterFiles(DriveRootOf rootOf) : rootOf_(std::move(rootOf)) {}

    DriveOpening open(char drive, std::optional<std::chrono::milliseconds> lockWait) override;

  private:
    DriveRootOf rootOf_;
};

}  // namespace veltra
