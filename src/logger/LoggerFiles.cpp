#include "logger/LoggerFiles.h"

#include <algorithm>
#include <vector>

namespace veltra {

DriveOpening openForWriting(DriveFiles& drive, char letter, const DriveIdentity& imageDrive) {
    DriveOpening opening = drive.open(letter, DriveLockWait);
    if (opening.session && opening.session->identity() != imageDrive) {
        opening.session.reset();  // another filesystem is mounted there now
        opening.refusal = DriveRefusal::NoDrive;
    }
    return opening;
}

bool removeMarker(DriveSession& drive) {
    return drive.remove(MarkerFile);
}

bool fillVerified(DriveSession& drive, std::unique_ptr<OutputFile> file, std::string_view name,
                  std::span<const std::uint8_t> bytes) {
    const bool written = file->write(bytes);
    if (!file->finish() || !written) {
        return false;
    }
    // One byte more than written, so that a longer file shows.
    std::vector<std::uint8_t> readBack(bytes.size() + 1);
    const auto count = drive.read(name, readBack);
    return count && *count == bytes.size() &&
           std::equal(bytes.begin(), bytes.end(), readBack.begin());
}

bool writeVerified(DriveSession& drive, std::string_view name,
                   std::span<const std::uint8_t> bytes) {
    auto file = drive.create(name);
    return file && fillVerified(drive, std::move(file), name, bytes);
}

bool writeMarker(DriveSession& drive) {
    auto file = drive.create(MarkerFile);
    if (file) {
        const bool written = file->write(MarkerBytes);
        if (file->finish() && written) {
            return true;
        }
    }
    drive.remove(MarkerFile);  // whatever part of it was made
    return false;
}

}  // namespace veltra
