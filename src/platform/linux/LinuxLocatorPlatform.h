#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "discovery/LocatorPlatform.h"
#include "platform/linux/MountInfoWatch.h"
#include "platform/linux/SysfsBlock.h"

namespace veltra {

// The locator's platform on Linux, without root rights: drives are the filesystems mounted
// whole from real disks, lettered C to Z in order of appearance; a disk's device number is its
// packed MAJ:MIN; a disk's parent id is built from the USB device above it in sysfs.
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

  private:
    struct Drive {
        unsigned mountId = 0;
        BlockNumber number;
        std::filesystem::path mountPoint;
        DriveType type = DriveType::Fixed;
        bool readOnly = false;
    };
    static constexpr char FirstLetter = 'C';
    static constexpr std::size_t LetterCount = 'Z' - FirstLetter + 1;

    void refreshDrives(const std::string& mountInfo);
    const Drive* findDrive(char letter) const;

    SysfsBlock sysfs_;
    MountInfoWatch mountInfo_;
    // The drive under each letter from C: on; mountId 0 for a free letter (mount ids start at 1).
    std::array<Drive, LetterCount> letters_{};
    std::vector<std::string> mountNotes_;
};

}  // namespace veltra
