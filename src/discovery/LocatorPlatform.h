#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace veltra {

// What kind of drive a root is. Only removable and fixed drives can hold a logger.
enum class DriveType { Other, Removable, Fixed };

// One drive root of the host.
struct DriveRoot {
    char letter = 0;  // 'A' to 'Z'
    DriveType type = DriveType::Other;
};

// An opened volume or disk interface. Destroying it releases it (closes the handle).
class DeviceHandle {
  public:
    virtual ~DeviceHandle() = default;

    // The storage device number of the disk this volume or interface belongs to: every volume
    // on a disk and the disk's own interface answer the same number, and no two disks present
    // at the same time share one. Nothing when the query fails.
    virtual std::optional<std::uint32_t> deviceNumber() = 0;
};

// A disk interface as enumeration returns it.
struct DiskInterface {
    // What openDiskInterface opens: the interface's device path.
    std::string devicePath;
    // The platform's token for the interface's device (its device instance); only the set
    // that produced it interprets it.
    std::uint64_t deviceInstance = 0;
};

// The outcome of enumerating one index of a disk interface set.
enum class InterfaceLookup {
    Found,         // the interface exists and its detail was fetched
    DetailFailed,  // the interface exists but its detail could not be fetched: skip it
    NoMore,        // no interface at this index: enumeration ends
};

// The set of present disk device interfaces, open for one enumeration. Destroying it closes
// the set.
class DiskInterfaceSet {
  public:
    virtual ~DiskInterfaceSet() = default;

    // Enumerates the interface at `index` (0, 1, 2, ... until NoMore) and, when Found, fills
    // `disk` with its device path and device instance.
    virtual InterfaceLookup interfaceAt(std::uint32_t index, DiskInterface& disk) = 0;

    // The device-instance id of the parent of the interface's device (the USB device that
    // carries the disk), as the platform spells it, for example USB\VID_2017&PID_0901\SN0001.
    // Disks on other buses answer an id of their bus. Nothing when the id cannot be read.
    virtual std::optional<std::string> parentDeviceId(const DiskInterface& disk) = 0;
};

// The operating-system operations the device locator is built on. What a platform keeps from
// one search to the next is its own affair, as long as every search answers as a fresh one
// would (a drive keeps its letter while it stays mounted).
class LocatorPlatform {
  public:
    virtual ~LocatorPlatform() = default;

    // The drive roots present now with their types, in letter order.
    virtual std::vector<DriveRoot> listDriveRoots() = 0;

    // Opens the volume of a drive for reading and writing. Null when it cannot be opened.
    virtual std::unique_ptr<DeviceHandle> openVolume(char letter) = 0;

    // Opens the set of present disk device interfaces. Null when it cannot be opened.
    virtual std::unique_ptr<DiskInterfaceSet> openDiskInterfaceSet() = 0;

    // Opens a disk interface by its device path, without access rights (only to query it).
    // Null when it cannot be opened.
    virtual std::unique_ptr<DeviceHandle> openDiskInterface(const DiskInterface& disk) = 0;

    // The folder that is the root of the drive with this letter, as of the last
    // listDriveRoots(). Nothing for a letter that names no drive.
    virtual std::optional<std::filesystem::path> rootOf(char letter) const = 0;

    // Whether the drive with this letter is mounted read-only, as of the last listDriveRoots().
    virtual bool isReadOnly(char /*letter*/) const { return false; }

    // What the last listing saw and why it left things out, one line each, for diagnostics.
    virtual std::vector<std::string> notes() const { return {}; }

    // Whether what the last search saw still holds: nothing mounted, unmounted, plugged or
    // pulled out since. The locator skips a search only when this says so; a platform that
    // cannot tell cheaply answers false and is searched on every call.
    virtual bool unchangedSinceLastSearch() { return false; }

    // News from a window that hears of every device that comes or goes (WM_DEVICECHANGE on
    // Windows): watchDeviceChanges(true) once it hears them, deviceChanged() for each.
    virtual void watchDeviceChanges(bool /*watched*/) {}
    virtual void deviceChanged() {}

    // Why the platform's own sources (the mount table, the device tree) could not be read by
    // the last search; empty when they could.
    virtual std::string sourceProblem() const { return {}; }
};

}  // namespace veltra
