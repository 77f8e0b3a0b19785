#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "support/TempFolder.h"

// A fake sysfs tree and mount table in a temporary folder, laid out as the kernel lays them
// out: device folders under devices/, dev/block/MAJ:MIN as relative links to them.
class SysfsTree {
  public:
    using Path = std::filesystem::path;

    SysfsTree();

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
        std::optional<std::string> serial = "SN0001";
    };
    // A disk on a USB mass-storage device plugged into `port`; its folder.
    Path addUsbDisk(const std::string& name, const std::string& number, const Usb& usb, int port);
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

    static void write(const Path& file, const std::string& text);

    // The mount table, written out on every change. Mount points are escaped as the kernel
    // escapes them.
    void mount(unsigned id, const std::string& number, const std::string& mountPoint,
               const std::string& root = "/", const std::string& options = "rw,nosuid",
               const std::string& source = "/dev/sdx");
    void unmount(unsigned id);

  private:
    // A device folder: its dev file, one flag file and its dev/block link.
    Path addDevice(const Path& folder, const std::string& number, const std::string& flag,
                   const std::string& value);
    void writeMountInfo();

    veltra::test::TempFolder folder_;
    std::map<unsigned, std::string> mounts_;
};

// The packed device number of MAJ:MIN as the locator joins on it, in decimal.
std::string packed(unsigned major, unsigned minor);
