#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "support/TempFolder.h"

// A fake sysfs tree and mount table in a temporary folder, laid out as the kernel lays them
// out: device folders under devices/, dev/block/MAJ:MIN as relative links to them.
class SysfsTree {
  public:
    using Path = std::filesystem::path;

    // Mount 0 is the root filesystem, not a block device.
    SysfsTree() {
        std::filesystem::create_directories(sysfs() / "dev" / "block");
        mount(0, "0:21", "/", "/", "rw", "overlay");
    }

    Path sysfs() const { return base() / "sys"; }
    Path mountInfo() const { return base() / "mountinfo"; }
    Path base() const { return folder_.path(); }
    // The folder of the USB device plugged into `port`.
    Path usbDevice(int port) const {
        return sysfs() / "devices/pci0000:00/0000:00:14.0/usb1" / ("1-" + std::to_string(port));
    }

    struct Usb {
        std::string vendor = "2017";
        std::string product = "0901";
        std::string serial = "SN0001";
    };
    // A disk on a USB mass-storage device plugged into `port`; its folder.
    Path addUsbDisk(const std::string& name, const std::string& number, const Usb& usb, int port) {
        const Path device = usbDevice(port);
        write(device / "idVendor", usb.vendor + "\n");
        write(device / "idProduct", usb.product + "\n");
        write(device / "serial", usb.serial + "\n");
        // As the kernel shows them: the port's removable attribute on the USB device, and the
        // root hub above it with ids of its own.
        write(device / "removable", "unknown\n");
        write(device.parent_path() / "idVendor", "1d6b\n");
        write(device.parent_path() / "idProduct", "0002\n");
        const std::string host = std::to_string(port + 5);
        return addDevice(device / (device.filename().string() + ":1.0") / ("host" + host) /
                             ("target" + host + ":0:0") / (host + ":0:0:0") / "block" / name,
                         number, "removable", "1");
    }
    Path addSataDisk(const std::string& name, const std::string& number) {
        return addDevice(sysfs() / "devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0" /
                             "0:0:0:0/block" / name,
                         number, "removable", "0");
    }
    Path addPartition(const Path& disk, const std::string& name, const std::string& number) {
        return addDevice(disk / name, number, "partition", "1");
    }
    // A loop, ram or device-mapper device.
    Path addVirtual(const std::string& name, const std::string& number) {
        return addDevice(sysfs() / "devices/virtual/block" / name, number, "removable", "0");
    }

    static void write(const Path& file, const std::string& text) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    }

    // The mount table, written out on every change (spaces in mount points escaped).
    void mount(unsigned id, const std::string& number, const std::string& mountPoint,
               const std::string& root = "/", const std::string& options = "rw,nosuid",
               const std::string& source = "/dev/sdx");
    void unmount(unsigned id) {
        mounts_.erase(id);
        mount(0, "0:21", "/", "/", "rw", "overlay");  // writes the table out
    }

  private:
    // A device folder: its dev file, one flag file and its dev/block link.
    Path addDevice(const Path& folder, const std::string& number, const std::string& flag,
                   const std::string& value) {
        write(folder / "dev", number + "\n");
        write(folder / flag, value + "\n");
        const Path link = sysfs() / "dev" / "block" / number;
        std::filesystem::create_directory_symlink(folder.lexically_relative(link.parent_path()),
                                                  link);
        return folder;
    }

    veltra::test::TempFolder folder_;
    std::map<unsigned, std::string> mounts_;
};
