#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "discovery/LocatorPlatform.h"
#include "platform/linux/MountInfoWatch.h"
#include "platform/linux/SysfsBlock.h"

namespace veltra {

// The locator's platform on Linux, without root rights: drives are the filesystems mounted
// whole from real disks, lettered C to Z in order of appearance; a disk's device number is its
// packed MAJ:MIN; a disk's parent id is built from the USB device above it in sysfs. The disks
// searched are those of the drives; nothing has changed while the mount table has not and each
// drive's device is still there (or still gone).
class LinuxLocatorPlatform : public LocatorPlatform {
  public:
    LinuxLocatorPlatform(std::filesystem::path sysfsRoot, std::filesystem::path mountInfo);

    std::vector<DriveRoot> listDriveRoots() override;
    std::unique_ptr<DeviceHandle> openVolume(char letter) override;
    std::unique_ptr<DiskInterfaceSet> openDiskInterfaceSet() override;
    std::unique_ptr<DeviceHandle> openDiskInterface(const DiskInterface& disk) override;
    std::optional<std::filesystem::path> rootOf(char letter) const override;
    bool isReadOnly(char letter) const override;
    std::vector<std::string> notes() const override;
    bool unchangedSinceLastSearch() override;
    std::string sourceProblem() const override;

    // The sysfs look-ups made so far.
    std::size_t sysfsLookups() const { return sysfs_.lookups(); }

  private:
    struct Drive {
        unsigned mountId = 0;
        BlockNumber number;
        std::filesystem::path mountPoint;
        DriveType type = DriveType::Fixed;
        bool readOnly = false;
        bool present = false;  // its dev/block link was there when the search began
    };
    static constexpr char FirstLetter = 'C';
    static constexpr std::size_t LetterCount = 'Z' - FirstLetter + 1;

    void refreshDrives(const std::string& mountInfo);
    const Drive* findDrive(char letter) const;
    std::optional<SysfsBlock::Device> deviceOf(const Drive& drive);

    SysfsBlock sysfs_;
    MountInfoWatch mountInfo_;
    // A changed table that the check for changes came upon, for the search that follows.
    std::optional<std::string> pendingTable_;
    bool searched_ = false;
    // The drive under each letter from C: on; mountId 0 for a free letter (mount ids start at 1).
    std::array<Drive, LetterCount> letters_{};
    std::vector<std::string> mountNotes_;
    // The disks of this search's drives, as openDiskInterfaceSet() found them.
    std::vector<SysfsBlock::Device> disks_;
};

}  // namespace veltra
