#pragma once

#include <array>
#include <string>
#include <vector>

#include "discovery/LocatorPlatform.h"
#include "platform/windows/LocatorCalls.h"

namespace veltra {

// The locator's platform on Windows: drive roots and volumes through the kernel, USB disks
// through the Setup API's disk interface set and the configuration manager. Every handle and
// the interface set are released by the objects that hold them, within the locator's call.
// While the window passes on its news of devices, nothing has changed as long as none came and
// the drive letters are the same.
class WindowsLocatorPlatform : public LocatorPlatform {
  public:
    explicit WindowsLocatorPlatform(LocatorCalls& calls = realLocatorCalls()) : calls_(calls) {}

    std::vector<DriveRoot> listDriveRoots() override;
    std::unique_ptr<DeviceHandle> openVolume(char letter) override;
    std::unique_ptr<DiskInterfaceSet> openDiskInterfaceSet() override;
    std::unique_ptr<DeviceHandle> openDiskInterface(const DiskInterface& disk) override;
    std::optional<std::filesystem::path> rootOf(char letter) const override;
    std::vector<std::string> notes() const override { return notes_; }
    bool unchangedSinceLastSearch() override;
    void watchDeviceChanges(bool watched) override { watched_ = watched; }
    void deviceChanged() override { heard_ = true; }

  private:
    LocatorCalls& calls_;
    bool watched_ = false;
    bool heard_ = false;  // news of a device since the last search began
    bool searched_ = false;
    bool incomplete_ = false;  // the last search could not open everything it tried to
    DWORD letterMask_ = 0;     // the drive letters when the last search began
    // Whether each letter A to Z named a drive in the last listing.
    std::array<bool, 26> present_{};
    std::vector<std::string> notes_;
};

// The interface class of disks, 53f56307-b6bf-11d0-94f2-00a0c91efb8b.
inline constexpr GUID DiskInterfaceClass = {
    0x53f56307, 0xb6bf, 0x11d0, {0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b}};

// Buffer sizes of the calls: drive strings and device-instance ids.
inline constexpr DWORD DriveStringsLength = 260;
inline constexpr ULONG DeviceIdLength = 520;

}  // namespace veltra
