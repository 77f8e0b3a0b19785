#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

// A fake sysfs tree and mount table in a temporary folder, laid out as the kernel lays them
// out: device folders under devices/, dev/block/MAJ:MIN as relative links to them.
class SysfsTree {
  public:
    SysfsTree();
    ~SysfsTree();
    SysfsTree(const SysfsTree&) = delete;
    SysfsTree& operator=(const SysfsTree&) = delete;

    std::filesystem::path sysfs() const { return base_ / "sys"; }
    std::filesystem::path mountInfo() const { return base_ / "mountinfo"; }
    std::filesystem::path base() const { return base_; }
    // The folder of the USB device plugged into `port`.
    std::filesystem::path usbDevice(int port) const {
        return sysfs() / "devices/pci0000:00/0000:00:14.0/usb1" / ("1-" + std::to_string(port));
    }

    struct Usb {
        std::string vendor = "2017";
        std::string product = "0901";
        std::optional<std::string> serial = "SN0001";
    };
    // A disk on a USB mass-storage device plugged into `port`; its folder.
    std::filesystem::path addUsbDisk(const std::string& name, const std::string& number,
                                     const Usb& usb, int port, bool removable = true);
    // A disk on a SATA port; its folder.
    std::filesystem::path addSataDisk(const std::string& name, const std::string& number,
                                      bool removable = false);
    // A partition of a disk; its folder.
    std::filesystem::path addPartition(const std::filesystem::path& disk, const std::string& name,
                                       const std::string& number);
    // A loop, ram or device-mapper device.
    std::filesystem::path addVirtual(const std::string& name, const std::string& number);

    void write(const std::filesystem::path& file, const std::string& text);

    // The mount table, written out on every change. Mount points are escaped as the kernel
    // escapes them.
    void mount(unsigned id, const std::string& number, const std::string& mountPoint,
               const std::string& root = "/", const std::string& options = "rw,nosuid",
               const std::string& source = "/dev/sdx");
    void unmount(unsigned id);
    void writeRawMountInfo(const std::string& text);

  private:
    void link(const std::string& number, const std::filesystem::path& folder);
    void writeMountInfo();

    std::filesystem::path base_;
    std::map<unsigned, std::string> mounts_;
};

// The packed device number of MAJ:MIN as the locator joins on it, in decimal.
std::string packed(unsigned major, unsigned minor);
