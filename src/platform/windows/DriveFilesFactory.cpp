#include "platform/DriveFilesFactory.h"

#include "platform/windows/DriveLetterFiles.h"

namespace veltra {

std::unique_ptr<DriveFiles> makeDriveFiles(DriveRootOf rootOf) {
    return std::make_unique<DriveLetterFiles>(std::move(rootOf));
}

}  // namespace veltra
