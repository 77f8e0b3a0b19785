#include "discovery/LocatorEntries.h"

#include <algorithm>
#include <string>

namespace veltra {

namespace {

constexpr std::string_view DrivePrefix = "PFAD_";
constexpr std::string_view UsbIdPrefix = "USB\\VID";
constexpr std::size_t BusNameLength = 3;  // "USB" before the id's first backslash

void note(LocatorScan* scan, std::string text) {
    if (scan) {
        scan->notes.push_back(std::move(text));
    }
}

std::string driveName(char letter) {
    return std::string("drive ") + letter + ":";
}

}  // namespace

std::vector<std::string> listVolumeDrives(LocatorPlatform& platform, LocatorScan* scan) {
    std::vector<DriveRoot> roots = platform.listDriveRoots();
    std::stable_sort(roots.begin(), roots.end(),
                     [](const DriveRoot& a, const DriveRoot& b) { return a.letter < b.letter; });
    if (scan) {
        scan->roots = roots;
    }

    struct OpenDrive {
        char letter;
        std::unique_ptr<DeviceHandle> volume;
    };
    std::vector<OpenDrive> open;
    for (const DriveRoot& root : roots) {
        if (root.type != DriveType::Removable && root.type != DriveType::Fixed) {
            note(scan, driveName(root.letter) + " neither removable nor fixed");
            continue;
        }
        // The floppy letters are never considered.
        if (root.letter < 'C' || root.letter > 'Z') {
            continue;
        }
        if (open.size() == MaxEntries) {
            break;
        }
        auto volume = platform.openVolume(root.letter);
        if (!volume) {
            // One drive that cannot be opened must not hide the drives after it.
            note(scan, driveName(root.letter) + " cannot be opened");
            continue;
        }
        open.push_back({root.letter, std::move(volume)});
    }

    std::vector<std::string> entries;
    for (OpenDrive& drive : open) {
        const auto number = drive.volume->deviceNumber();
        drive.volume.reset();
        if (!number) {
            note(scan, driveName(drive.letter) + " device number cannot be queried");
            continue;
        }
        entries.push_back(std::string(DrivePrefix) + drive.letter + "_" + std::to_string(*number));
    }
    if (scan) {
        scan->driveEntries = entries;
    }
    return entries;
}

bool isUsbDeviceId(std::string& id) {
    for (char& c : id) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return id.starts_with(UsbIdPrefix);
}

std::vector<std::string> listUsbDisks(LocatorPlatform& platform, std::ostream& console,
                                      LocatorScan* scan) {
    std::vector<std::string> entries;
    const auto set = platform.openDiskInterfaceSet();
    if (!set) {
        note(scan, "the disk interfaces cannot be listed");
        if (scan) {
            scan->diskEntries.clear();
        }
        return entries;
    }
    for (std::uint32_t index = 0; entries.size() < MaxEntries; ++index) {
        DiskInterface disk;
        const InterfaceLookup lookup = set->interfaceAt(index, disk);
        if (lookup == InterfaceLookup::NoMore) {
            break;
        }
        const std::string name = "disk " + std::to_string(index);
        if (lookup == InterfaceLookup::DetailFailed) {
            note(scan, name + ": detail cannot be fetched");
            continue;
        }
        auto id = set->parentDeviceId(disk);
        if (!id) {
            console << "   No found ID!\n";
            note(scan, name + " (" + disk.devicePath + "): parent id cannot be read");
            continue;
        }
        if (!isUsbDeviceId(*id)) {
            note(scan, name + " (" + disk.devicePath + "): no USB parent (" + *id + ")");
            continue;
        }
        const auto handle = platform.openDiskInterface(disk);
        if (!handle) {
            note(scan, name + " (" + *id + "): cannot be opened");
            continue;
        }
        const auto number = handle->deviceNumber();
        if (!number) {
            note(scan, name + " (" + *id + "): device number cannot be queried");
            continue;
        }
        entries.push_back(std::to_string(*number) + *id);
    }
    if (scan) {
        scan->diskEntries = entries;
    }
    return entries;
}

std::string_view driveEntryNumber(std::string_view driveEntry) {
    const std::size_t start = DrivePrefix.size() + 2;  // "PFAD_" + letter + "_"
    return driveEntry.size() > start ? driveEntry.substr(start) : std::string_view();
}

std::string_view diskEntryNumber(std::string_view diskEntry) {
    std::size_t digits = 0;
    while (digits < diskEntry.size() && diskEntry[digits] >= '0' && diskEntry[digits] <= '9') {
        ++digits;
    }
    return diskEntry.substr(0, digits);
}

std::vector<std::string> joinMatchEntries(const std::vector<std::string>& driveEntries,
                                          const std::vector<std::string>& diskEntries) {
    std::vector<std::string> matches;
    for (const std::string& drive : driveEntries) {
        const std::string_view driveNumber = driveEntryNumber(drive);
        if (driveNumber.empty() || drive.size() < DrivePrefix.size() + 1) {
            continue;
        }
        for (const std::string& disk : diskEntries) {
            // The whole number: a drive on disk 1 is not a drive on disk 12.
            const std::string_view diskNumber = diskEntryNumber(disk);
            // An entry too short to hold "USB" after its number names no device.
            if (diskNumber != driveNumber || disk.size() < diskNumber.size() + BusNameLength) {
                continue;
            }
            // The number and "USB" give way to the drive's "PFAD_" + letter.
            const std::string_view rest =
                std::string_view(disk).substr(diskNumber.size() + BusNameLength);
            if (matches.size() < MaxEntries) {
                matches.push_back(drive.substr(0, DrivePrefix.size() + 1) + std::string(rest));
            }
        }
    }
    return matches;
}

std::vector<std::string> collectMatchEntries(LocatorPlatform& platform, std::ostream& console,
                                             LocatorScan* scan) {
    const auto drives = listVolumeDrives(platform, scan);
    const auto disks = listUsbDisks(platform, console, scan);
    auto matches = joinMatchEntries(drives, disks);
    if (scan) {
        scan->matchEntries = matches;
    }
    return matches;
}

}  // namespace veltra
