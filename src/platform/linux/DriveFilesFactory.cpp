#include "platform/DriveFilesFactory.h"

#include "platform/linux/FolderDriveFiles.h"

namespace veltra {

std::unique_ptr<DriveFiles> makeDriveFiles(DriveRootOf rootOf) {
    return std::make_unique<FolderDriveFiles>(std::move(rootOf));
}

}  // namespace veltra
