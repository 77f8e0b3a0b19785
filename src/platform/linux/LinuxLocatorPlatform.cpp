#include "platform/linux/LinuxLocatorPlatform.h"

#include <algorithm>

#include "platform/linux/MountTable.h"

namespace veltra {

namespace fs = std::filesystem;

namespace {

// A volume or disk, opened by finding its device folder; queried by reading its number.
class SysfsHandle : public DeviceHandle {
  public:
    SysfsHandle(const SysfsBlock& sysfs, fs::path disk) : sysfs_(sysfs), disk_(std::move(disk)) {}
    std::optional<std::uint32_t> deviceNumber() override {
        const auto number = sysfs_.readNumber(disk_);
        return number ? std::optional(number->packed()) : std::nullopt;
    }

  private:
    const SysfsBlock& sysfs_;
    fs::path disk_;
};

class SysfsDiskSet : public DiskInterfaceSet {
  public:
    explicit SysfsDiskSet(const SysfsBlock& sysfs) : sysfs_(sysfs), disks_(sysfs.wholeDisks()) {}

    InterfaceLookup interfaceAt(std::uint32_t index, DiskInterface& disk) override {
        if (index >= disks_.size()) {
            return InterfaceLookup::NoMore;
        }
        disk.devicePath = disks_[index].folder.string();
        disk.deviceInstance = index;
        return InterfaceLookup::Found;
    }

    std::optional<std::string> parentDeviceId(const DiskInterface& disk) override {
        if (disk.deviceInstance >= disks_.size()) {
            return std::nullopt;
        }
        const fs::path& folder = disks_[disk.deviceInstance].folder;
        if (const auto usb = sysfs_.usbAncestor(folder)) {
            return sysfs_.usbDeviceId(*usb);
        }
        // Not on USB: the id names the disk's parent device on its own bus.
        fs::path parent = folder.parent_path();
        if (parent.filename() == "block") {
            parent = parent.parent_path();
        }
        return "SYSFS\\" + sysfs_.relative(parent);
    }

  private:
    const SysfsBlock& sysfs_;
    std::vector<SysfsBlock::Disk> disks_;
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
        const fs::path disk = sysfs_.wholeDisk(*folder);
        const bool removable = sysfs_.isRemovable(disk) || sysfs_.usbAncestor(disk).has_value();
        *free = Drive{mount.mountId, number, mount.mountPoint,
                      removable ? DriveType::Removable : DriveType::Fixed, mount.readOnly()};
        const char letter = static_cast<char>(FirstLetter + (free - letters_.begin()));
        mountNotes_.push_back(name + ": drive " + letter + ":");
    }
}

std::vector<DriveRoot> LinuxLocatorPlatform::listDriveRoots() {
    if (auto text = mountInfo_.changedText()) {
        refreshDrives(*text);
    }
    std::vector<DriveRoot> roots;
    for (std::size_t i = 0; i < letters_.size(); ++i) {
        if (letters_[i].mountId != 0) {
            roots.push_back({static_cast<char>(FirstLetter + i), letters_[i].type});
        }
    }
    return roots;
}

const LinuxLocatorPlatform::Drive* LinuxLocatorPlatform::findDrive(char letter) const {
    if (letter < FirstLetter || letter > 'Z') {
        return nullptr;
    }
    const Drive& drive = letters_[static_cast<std::size_t>(letter - FirstLetter)];
    return drive.mountId != 0 ? &drive : nullptr;
}

std::unique_ptr<DeviceHandle> LinuxLocatorPlatform::openVolume(char letter) {
    const Drive* drive = findDrive(letter);
    if (!drive) {
        return nullptr;
    }
    // The device may have gone while its mount lingers.
    const auto folder = sysfs_.deviceFolder(drive->number);
    if (!folder) {
        return nullptr;
    }
    return std::make_unique<SysfsHandle>(sysfs_, sysfs_.wholeDisk(*folder));
}

std::unique_ptr<DiskInterfaceSet> LinuxLocatorPlatform::openDiskInterfaceSet() {
    return std::make_unique<SysfsDiskSet>(sysfs_);
}

std::unique_ptr<DeviceHandle> LinuxLocatorPlatform::openDiskInterface(const DiskInterface& disk) {
    // A disk that has gone fails its query.
    return std::make_unique<SysfsHandle>(sysfs_, disk.devicePath);
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

}  // namespace veltra
