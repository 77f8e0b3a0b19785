#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/linux/UniqueFd.h"

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
// these are read: the dev/block/MAJ:MIN links, and dev, partition, removable, idVendor,
// idProduct and serial in the device folders.
//
// A search (a tick on which something may have changed) starts with beginSearch(). Links are
// followed at most once per search; what a device folder fixes for good is read once and kept
// for as long as searches keep finding that folder.
class SysfsBlock {
  public:
    explicit SysfsBlock(const std::filesystem::path& root);

    const std::filesystem::path& root() const { return root_; }

    // Starts a search: links are followed afresh, and what is known of the device folders that
    // the previous search did not reach is dropped (their devices have gone or are unused).
    void beginSearch();

    // Why dev/block under the root cannot be read; empty when it can.
    const std::string& problem() const { return problem_; }

    // Whether dev/block/MAJ:MIN is there: one look-up, the check of a tick that otherwise finds
    // nothing changed.
    bool isPresent(BlockNumber number);

    // The device folder of a block device, through its dev/block link. Nothing when the
    // device is not there (any more).
    std::optional<std::filesystem::path> deviceFolder(BlockNumber number);

    // A device that is no real hardware: loop, ram, zram, device-mapper.
    bool isVirtual(const std::filesystem::path& folder) const;

    // What a device folder fixes for good: its disk and the disk's identity.
    struct Device {
        std::filesystem::path disk;             // the folder itself, or its parent for a partition
        std::optional<BlockNumber> diskNumber;  // the disk's dev file; nothing when unreadable
        bool removable = false;                 // the disk's removable flag is 1
        bool onUsb = false;                     // a USB device carries the disk
        // USB\VID_xxxx&PID_yyyy\SERIAL of that USB device, or SYSFS\ and the disk's parent
        // folder for a disk on another bus; nothing when the USB ids cannot be read.
        std::optional<std::string> parentId;
    };
    // A device folder's facts; read from the folder once, and again only while one of them
    // could not be read.
    Device device(const std::filesystem::path& folder);

    // The folder relative to the sysfs root, for messages.
    std::string relative(const std::filesystem::path& folder) const;

    // The look-ups made so far (each stat, link or file read counts once).
    std::size_t lookups() const { return lookups_; }

  private:
    Device readDevice(const std::filesystem::path& folder);
    bool exists(const std::filesystem::path& path);
    std::optional<std::string> attribute(const std::filesystem::path& path);

    std::filesystem::path root_;
    UniqueFd devBlock_;  // root/dev/block, once it could be opened
    std::string problem_;
    std::size_t lookups_ = 0;
    // The folders that the links led to in this search.
    std::unordered_map<std::uint32_t, std::optional<std::filesystem::path>> links_;
    struct Known {
        Device device;
        bool reached = false;  // in the current search
    };
    std::unordered_map<std::string, Known> devices_;
};

// The contents of a small file (a sysfs attribute), or nothing when it cannot be read.
std::optional<std::string> readSmallFile(const std::filesystem::path& path);

}  // namespace veltra
