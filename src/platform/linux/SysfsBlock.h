#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace veltra {

// A block device number as sysfs writes it, "MAJ:MIN".
struct BlockNumber {
    unsigned major = 0;
    unsigned minor = 0;

    // One number per device, as the kernel packs it (12 bits major, 20 bits minor).
    std::uint32_t packed() const { return (major << 20) | (minor & 0xfffff); }
    std::string text() const { return std::to_string(major) + ":" + std::to_string(minor); }
    auto operator<=>(const BlockNumber&) const = default;
};

std::optional<BlockNumber> parseBlockNumber(std::string_view text);

// Block devices as sysfs shows them, under a sysfs root that tests point at a fake tree. Only
// these files are read: the dev/block/MAJ:MIN links, and dev, partition, removable, idVendor,
// idProduct and serial in the device folders.
class SysfsBlock {
  public:
    explicit SysfsBlock(const std::filesystem::path& root);

    const std::filesystem::path& root() const { return root_; }

    // The device folder of a block device, through its dev/block link. Nothing when the
    // device is not there (any more).
    std::optional<std::filesystem::path> deviceFolder(BlockNumber number) const;

    // A device that is no real hardware: loop, ram, zram, device-mapper.
    bool isVirtual(const std::filesystem::path& folder) const;

    // The whole disk of a block device: its parent folder when it is a partition.
    std::filesystem::path wholeDisk(const std::filesystem::path& folder) const;

    // The number in a device folder's dev file.
    std::optional<BlockNumber> readNumber(const std::filesystem::path& folder) const;

    // The disk's removable flag is 1.
    bool isRemovable(const std::filesystem::path& disk) const;

    // The nearest folder above the device that holds idVendor and idProduct: the USB device
    // that carries it. Nothing when there is none up to devices/.
    std::optional<std::filesystem::path> usbAncestor(const std::filesystem::path& folder) const;

    // USB\VID_xxxx&PID_yyyy\SERIAL of a USB device folder; nothing when its ids cannot be read.
    std::optional<std::string> usbDeviceId(const std::filesystem::path& usbFolder) const;

    // The whole disks present, real hardware only, by device number.
    struct Disk {
        BlockNumber number;
        std::filesystem::path folder;
    };
    std::vector<Disk> wholeDisks() const;

    // The folder relative to the sysfs root, for messages.
    std::string relative(const std::filesystem::path& folder) const;

  private:
    // What a device folder's path fixes for good: the kernel gives a new device a new folder
    // only after its parents and attributes are in place, and a path names one place in the
    // device tree. Kept across ticks so that an unchanged tree costs no walks.
    struct Shape {
        bool partition = false;
        std::optional<std::filesystem::path> usbAncestor;
    };
    static constexpr std::size_t ShapeLimit = 512;
    const Shape& shapeOf(const std::filesystem::path& folder) const;

    std::filesystem::path root_;
    mutable std::unordered_map<std::string, Shape> shapes_;
};

// The contents of a small file (a sysfs attribute), or nothing when it cannot be read.
std::optional<std::string> readSmallFile(const std::filesystem::path& path);

}  // namespace veltra
