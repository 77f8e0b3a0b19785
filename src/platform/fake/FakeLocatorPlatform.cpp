#include "platform/fake/FakeLocatorPlatform.h"

namespace veltra {

namespace {

class FakeHandle : public DeviceHandle {
  public:
    FakeHandle(std::optional<std::uint32_t> number, int& released)
        : number_(number), released_(released) {}
    ~FakeHandle() override { ++released_; }
    std::optional<std::uint32_t> deviceNumber() override { return number_; }

  private:
    std::optional<std::uint32_t> number_;
    int& released_;
};

class FakeInterfaceSet : public DiskInterfaceSet {
  public:
    FakeInterfaceSet(const std::vector<FakeLocatorPlatform::Disk>& disks, int& released)
        : disks_(disks), released_(released) {}
    ~FakeInterfaceSet() override { ++released_; }

    InterfaceLookup interfaceAt(std::uint32_t index, DiskInterface& disk) override {
        if (index >= disks_.size()) {
            return InterfaceLookup::NoMore;
        }
        if (disks_[index].detailFails) {
            return InterfaceLookup::DetailFailed;
        }
        disk.devicePath = disks_[index].devicePath;
        disk.deviceInstance = index;
        return InterfaceLookup::Found;
    }

    std::optional<std::string> parentDeviceId(const DiskInterface& disk) override {
        if (disk.deviceInstance >= disks_.size()) {
            return std::nullopt;
        }
        return disks_[disk.deviceInstance].parentId;
    }

  private:
    const std::vector<FakeLocatorPlatform::Disk>& disks_;
    int& released_;
};

}  // namespace

void FakeLocatorPlatform::plugStick(char letter, std::uint32_t deviceNumber, std::string parentId) {
    drives.push_back({letter, DriveType::Removable, deviceNumber, false,
                      std::filesystem::path("/media/fake") / std::string(1, letter), false});
    disks.push_back({"\\\\?\\fake#disk#" + std::to_string(disks.size()), std::move(parentId),
                     deviceNumber, false, false});
}

std::vector<DriveRoot> FakeLocatorPlatform::listDriveRoots() {
    std::vector<DriveRoot> roots;
    for (const Drive& drive : drives) {
        roots.push_back({drive.letter, drive.type});
    }
    return roots;
}

std::unique_ptr<DeviceHandle> FakeLocatorPlatform::openVolume(char letter) {
    const Drive* drive = findDrive(letter);
    if (!drive || drive->openFails) {
        return nullptr;
    }
    ++opened;
    return std::make_unique<FakeHandle>(drive->deviceNumber, released);
}

std::unique_ptr<DiskInterfaceSet> FakeLocatorPlatform::openDiskInterfaceSet() {
    if (interfaceSetFails) {
        return nullptr;
    }
    ++opened;
    return std::make_unique<FakeInterfaceSet>(disks, released);
}

std::unique_ptr<DeviceHandle> FakeLocatorPlatform::openDiskInterface(const DiskInterface& disk) {
    if (disk.deviceInstance >= disks.size() || disks[disk.deviceInstance].openFails) {
        return nullptr;
    }
    ++opened;
    return std::make_unique<FakeHandle>(disks[disk.deviceInstance].deviceNumber, released);
}

std::optional<std::filesystem::path> FakeLocatorPlatform::rootOf(char letter) const {
    const Drive* drive = findDrive(letter);
    return drive ? std::optional(drive->root) : std::nullopt;
}

bool FakeLocatorPlatform::isReadOnly(char letter) const {
    const Drive* drive = findDrive(letter);
    return drive && drive->readOnly;
}

const FakeLocatorPlatform::Drive* FakeLocatorPlatform::findDrive(char letter) const {
    for (const Drive& drive : drives) {
        if (drive.letter == letter) {
            return &drive;
        }
    }
    return nullptr;
}

}  // namespace veltra
