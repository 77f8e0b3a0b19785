#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "discovery/LocatorPlatform.h"

namespace veltra {

// A locator platform that returns prepared drives, device numbers and ids, and fails opens,
// queries and reads on demand. Tests change the public lists between calls.
class FakeLocatorPlatform : public LocatorPlatform {
  public:
    struct Drive {
        char letter = 0;
        DriveType type = DriveType::Removable;
        std::optional<std::uint32_t> deviceNumber;  // nothing: the query fails
        bool openFails = false;
        std::filesystem::path root;
        bool readOnly = false;
    };
    struct Disk {
        std::string devicePath;
        std::optional<std::string> parentId;        // nothing: the id cannot be read
        std::optional<std::uint32_t> deviceNumber;  // nothing: the query fails
        bool detailFails = false;
        bool openFails = false;
    };

    std::vector<Drive> drives;
    std::vector<Disk> disks;
    bool interfaceSetFails = false;

    // Handles and sets opened and released, to check that every one is given back.
    int opened = 0;
    int released = 0;

    // A removable drive and the USB disk it lives on, joined by `deviceNumber`.
    void plugStick(char letter, std::uint32_t deviceNumber, std::string parentId);

    std::vector<DriveRoot> listDriveRoots() override;
    std::unique_ptr<DeviceHandle> openVolume(char letter) override;
    std::unique_ptr<DiskInterfaceSet> openDiskInterfaceSet() override;
    std::unique_ptr<DeviceHandle> openDiskInterface(const DiskInterface& disk) override;
    std::optional<std::filesystem::path> rootOf(char letter) const override;
    bool isReadOnly(char letter) const override;

  private:
    const Drive* findDrive(char letter) const;
};

}  // namespace veltra
