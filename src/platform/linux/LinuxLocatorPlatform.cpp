#include "platform/linux/LinuxLocatorPlatform.h"

#include <algorithm>
#include <utility>

#include "platform/linux/MountTable.h"

namespace veltra {

namespace fs = std::filesystem;

namespace {

// A volume or disk whose number is known (or known to be unreadable).
class KnownNumber : public DeviceHandle {
  public:
    explicit KnownNumber(std::optional<BlockNumber> number) : number_(number) {}
    std::optional<std::uint32_t> deviceNumber() override {
        return number_ ? std::optional(number_->packed()) : std::nullopt;
    }

  private:
    std::optional<BlockNumber> number_;
};

// The disks of this search's drives.
class DriveDiskSet : public DiskInterfaceSet {
  public:
    explicit DriveDiskSet(const std::vector<SysfsBlock::Device>& disks) : disks_(disks) {}

    InterfaceLookup interfaceAt(std::uint32_t index, DiskInterface& disk) override {
        if (index >= disks_.size()) {
            return InterfaceLookup::NoMore;
        }
        disk.devicePath = disks_[index].disk.string();
        disk.deviceInstance = index;
        return InterfaceLookup::Found;
    }

    std::optional<std::string> parentDeviceId(const DiskInterface& disk) override {
        return disk.deviceInstance < disks_.size() ? disks_[disk.deviceInstance].parentId
                                                   : std::nullopt;
    }

  private:
    const std::vector<SysfsBlock::Device>& disks_;
};

std::string describeMount(const MountEntry& mount) {
    return "mount " + mount.mountPoint + " (" + mount.source + ", " + std::to_string(mount.major) +
           ":" + std::to_string(mount.minor) + ")";
}

}  // namespace

LinuxLocatorPlatform::LinuxLocatorPlatform(fs::path sysfsRoot, fs::path mountInfo)
    : sysfs_(sysfsRoot), mountInfo_(std::move(mountInfo)) {}

void LinuxLocatorPlatform::refreshDrives(const std::string& text) {
    const std::vector<MountEntry> mounts = parseMountInfo(text);
    mountNotes_.clear();

    // Letters of mounts that are gone become free; the others keep theirs. The kernel hands a
    // freed mount id to the next mount, so the device and the place must match too.
    const auto sameMount = [](const Drive& drive, const MountEntry& mount) {
        return drive.mountId == mount.mountId && drive.number.major == mount.major &&
               drive.number.minor == mount.minor && drive.mountPoint == mount.mountPoint;
    };
    for (Drive& drive : letters_) {
        const bool mounted = std::any_of(mounts.begin(), mounts.end(),
                                         [&](const MountEntry& m) { return sameMount(drive, m); });
        if (!mounted) {
            drive = Drive{};
        }
    }

    for (const MountEntry& mount : mounts) {
        const std::string name = describeMount(mount);
        if (mount.major == 0) {
            mountNotes_.push_back(name + ": not a block device");
            continue;
        }
        if (mount.root != "/") {
            mountNotes_.push_back(name + ": shows only " + mount.root + " of its filesystem");
            continue;
        }
        const auto held = std::find_if(letters_.begin(), letters_.end(),
                                       [&](const Drive& d) { return sameMount(d, mount); });
        if (held != letters_.end()) {
            held->readOnly = mount.readOnly();  // a remount may have changed it
            const char letter = static_cast<char>(FirstLetter + (held - letters_.begin()));
            mountNotes_.push_back(name + ": drive " + letter + ":");
            continue;
        }
        const BlockNumber number{mount.major, mount.minor};
        const auto folder = sysfs_.deviceFolder(number);
        if (!folder) {
            mountNotes_.push_back(name + ": no device in sysfs");
            continue;
        }
        if (sysfs_.isVirtual(*folder)) {
            mountNotes_.push_back(name + ": virtual device (" + sysfs_.relative(*folder) + ")");
            continue;
        }
        const auto free = std::find_if(letters_.begin(), letters_.end(),
                                       [](const Drive& d) { return d.mountId == 0; });
        if (free == letters_.end()) {
            mountNotes_.push_back(name + ": no drive letter left");
            continue;
        }
        const SysfsBlock::Device device = sysfs_.device(*folder);
        const bool removable = device.removable || device.onUsb;
        *free = Drive{mount.mountId, number, mount.mountPoint,
                      removable ? DriveType::Removable : DriveType::Fixed, mount.readOnly()};
        const char letter = static_cast<char>(FirstLetter + (free - letters_.begin()));
        mountNotes_.push_back(name + ": drive " + letter + ":");
    }
}

std::vector<DriveRoot> LinuxLocatorPlatform::listDriveRoots() {
    sysfs_.beginSearch();
    searched_ = true;
    disks_.clear();
    auto text =
        pendingTable_ ? std::exchange(pendingTable_, std::nullopt) : mountInfo_.changedText();
    if (text) {
        refreshDrives(*text);
    }
    std::vector<DriveRoot> roots;
    for (std::size_t i = 0; i < letters_.size(); ++i) {
        Drive& drive = letters_[i];
        if (drive.mountId != 0) {
            drive.present = sysfs_.isPresent(drive.number);
            roots.push_back({static_cast<char>(FirstLetter + i), drive.type});
        }
    }
    return roots;
}

bool LinuxLocatorPlatform::unchangedSinceLastSearch() {
    if (!searched_ || pendingTable_) {
        return false;
    }
    pendingTable_ = mountInfo_.changedText();
    if (pendingTable_) {
        return false;
    }
    // A disk pulled out while its filesystem stays mounted leaves the table as it was.
    return std::all_of(letters_.begin(), letters_.end(), [this](const Drive& drive) {
        return drive.mountId == 0 || sysfs_.isPresent(drive.number) == drive.present;
    });
}

const LinuxLocatorPlatform::Drive* LinuxLocatorPlatform::findDrive(char letter) const {
    if (letter < FirstLetter || letter > 'Z') {
        return nullptr;
    }
    const Drive& drive = letters_[static_cast<std::size_t>(letter - FirstLetter)];
    return drive.mountId != 0 ? &drive : nullptr;
}

std::optional<SysfsBlock::Device> LinuxLocatorPlatform::deviceOf(const Drive& drive) {
    // The device may have gone while its mount lingers.
    const auto folder = sysfs_.deviceFolder(drive.number);
    if (!folder) {
        return std::nullopt;
    }
    return sysfs_.device(*folder);
}

std::unique_ptr<DeviceHandle> LinuxLocatorPlatform::openVolume(char letter) {
    const Drive* drive = findDrive(letter);
    const auto device = drive ? deviceOf(*drive) : std::nullopt;
    if (!device) {
        return nullptr;
    }
    return std::make_unique<KnownNumber>(device->diskNumber);
}

std::unique_ptr<DiskInterfaceSet> LinuxLocatorPlatform::openDiskInterfaceSet() {
    // Only the disks of drives can join one: the other block devices are not looked at.
    disks_.clear();
    for (const Drive& drive : letters_) {
        const auto device = drive.mountId != 0 ? deviceOf(drive) : std::nullopt;
        if (device && std::none_of(disks_.begin(), disks_.end(),
                                   [&](const auto& known) { return known.disk == device->disk; })) {
            disks_.push_back(*device);
        }
    }
    std::sort(disks_.begin(), disks_.end(),
              [](const auto& a, const auto& b) { return a.diskNumber < b.diskNumber; });
    return std::make_unique<DriveDiskSet>(disks_);
}

std::unique_ptr<DeviceHandle> LinuxLocatorPlatform::openDiskInterface(const DiskInterface& disk) {
    const std::size_t index = disk.deviceInstance;
    if (index >= disks_.size() || disks_[index].disk != disk.devicePath) {
        return nullptr;
    }
    return std::make_unique<KnownNumber>(disks_[index].diskNumber);
}

std::optional<fs::path> LinuxLocatorPlatform::rootOf(char letter) const {
    const Drive* drive = findDrive(letter);
    return drive ? std::optional(drive->mountPoint) : std::nullopt;
}

bool LinuxLocatorPlatform::isReadOnly(char letter) const {
    const Drive* drive = findDrive(letter);
    return drive && drive->readOnly;
}

std::vector<std::string> LinuxLocatorPlatform::notes() const {
    return mountNotes_;
}

std::string LinuxLocatorPlatform::sourceProblem() const {
    return mountInfo_.problem().empty() ? sysfs_.problem() : mountInfo_.problem();
}

}  // namespace veltra
