#include "logger/LoggerFiles.h"

#include "core/DriveFiles.h"

namespace veltra {

bool writeDriveFile(DriveFiles& drive, char letter, std::string_view name,
                    std::span<const std::uint8_t> bytes) {
    auto file = drive.create(letter, name);
    if (!file) {
        return false;
    }
    const bool written = file->write(bytes);
    return file->finish() && written;
}

}  // namespace veltra
