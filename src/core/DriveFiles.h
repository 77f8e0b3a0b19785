#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace veltra {

// Which filesystem a drive's root is: the volume (device number, or the volume's serial
// number) and the root folder on it (inode, or file index). A different filesystem mounted
// at the same place, or another folder, has another identity.
struct DriveIdentity {
    std::uint64_t volume = 0;
    std::uint64_t root = 0;

    bool operator==(const DriveIdentity&) const = default;
};

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

// The logger's drive, held for a while: its root folder stays open (so that every file is
// looked up in that very folder, even if another filesystem is mounted over it meanwhile)
// and, when asked for, other writers are kept out. Only regular files directly in the root
// are opened, never through a link; names match whatever their case on the drive.
class DriveSession {
  public:
    virtual ~DriveSession() = default;

    virtual DriveIdentity identity() const = 0;

    // Reads up to dest.size() bytes of the named file from the device (not from a cache
    // that the logger may have outdated). The count read, or nothing when the file is
    // missing, is no regular file, or cannot be read. Never waits on a pipe or device.
    virtual std::optional<std::size_t> read(std::string_view name,
                                            std::span<std::uint8_t> dest) = 0;

    // Opens the named file for writing and empties it. Null, with nothing changed, when it
    // cannot be opened or is no regular file or has other names (links) besides this one.
    virtual std::unique_ptr<OutputFile> create(std::string_view name) = 0;

    // Removes the named entry from the root, if there is one, and makes that durable. True
    // when the name is gone. Only the name is removed: whatever a link points to stays.
    virtual bool remove(std::string_view name) = 0;

    // Removes the files that this session created or emptied and that are still the same
    // files, after a write that could not be completed: nothing half-done is left behind.
    virtual void discardWritten() {}

    // Why the first call that failed in this session failed, for the user ("the drive is
    // full"); empty when no call failed or the system gave no reason.
    virtual std::string failureReason() const { return {}; }
};

// Why a drive could not be opened.
enum class DriveRefusal {
    NoDrive,  // no drive under that letter, or its root cannot be opened
    Busy,     // another program kept the drive locked for the whole wait
};

struct DriveOpening {
    std::unique_ptr<DriveSession> session;  // null when refused
    DriveRefusal refusal = DriveRefusal::NoDrive;
};

// How long a writer waits for the drive's lock: long enough for another writer's few files,
// short enough that a window waiting on it does not freeze for long.
inline constexpr std::chrono::milliseconds DriveLockWait{3000};

// The logger's drives, named by letter; the implementation knows which folder is the root of
// each.
class DriveFiles {
  public:
    virtual ~DriveFiles() = default;

    // Opens the drive with this letter. With `lockWait`, the session also holds the drive's
    // exclusive lock (the one that other writers of this program take, and on Linux any
    // program that locks the root folder), waiting for it at most that long; without, it
    // takes no lock (reading DAT.SRC needs none).
    virtual DriveOpening open(char drive, std::optional<std::chrono::milliseconds> lockWait) = 0;
};

}  // namespace veltra
