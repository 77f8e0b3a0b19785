#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "core/DriveFiles.h"

namespace veltra {

// The folder that is the root of the drive with a given letter, while there is one.
using DriveRootOf = std::function<std::optional<std::filesystem::path>(char drive)>;

// The platform's DriveFiles over drive roots given as folders (a locator's mount points, or a
// folder named on the command line).
std::unique_ptr<DriveFiles> makeDriveFiles(DriveRootOf rootOf);

// The same over one folder, whatever the letter (a folder named on the command line).
inline std::unique_ptr<DriveFiles> makeFolderDrive(std::filesystem::path root) {
    return makeDriveFiles([root = std::move(root)](char) { return std::optional(root); });
}

}  // namespace veltra
