#include "SysfsTree.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case ' ':
                out += "\\040";
                break;
            case '\t':
                out += "\\011";
                break;
            case '\n':
                out += "\\012";
                break;
            case '\\':
                out += "\\134";
                break;
            default:
                out += c;
        }
    }
    return out;
}

void writeText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

}  // namespace

std::string packed(unsigned major, unsigned minor) {
    return std::to_string((major << 20) | minor);
}

SysfsTree::SysfsTree() {
    std::string pattern = (fs::temp_directory_path() / "veltra-sysfs-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    base_ = pattern;
    fs::create_directories(sysfs() / "dev" / "block");
    fs::create_directories(sysfs() / "devices" / "virtual" / "block");
    writeMountInfo();
}

SysfsTree::~SysfsTree() {
    std::error_code error;
    fs::remove_all(base_, error);
}

void SysfsTree::write(const fs::path& file, const std::string& text) {
    writeText(file, text);
}

void SysfsTree::link(const std::string& number, const fs::path& folder) {
    const fs::path from = sysfs() / "dev" / "block" / number;
    fs::create_directory_symlink(folder.lexically_relative(from.parent_path()), from);
}

fs::path SysfsTree::addUsbDisk(const std::string& name, const std::string& number, const Usb& usb,
                               int port, bool removable) {
    const std::string device = "1-" + std::to_string(port);
    const fs::path usbFolder = sysfs() / "devices/pci0000:00/0000:00:14.0/usb1" / device;
    writeText(usbFolder / "idVendor", usb.vendor + "\n");
    writeText(usbFolder / "idProduct", usb.product + "\n");
    if (usb.serial) {
        writeText(usbFolder / "serial", *usb.serial + "\n");
    }
    const std::string host = std::to_string(port + 5);
    const fs::path disk = usbFolder / (device + ":1.0") / ("host" + host) /
                          ("target" + host + ":0:0") / (host + ":0:0:0") / "block" / name;
    writeText(disk / "dev", number + "\n");
    writeText(disk / "removable", removable ? "1\n" : "0\n");
    link(number, disk);
    return disk;
}

fs::path SysfsTree::addSataDisk(const std::string& name, const std::string& number,
                                bool removable) {
    const fs::path disk =
        sysfs() / "devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0" / "0:0:0:0/block" / name;
    writeText(disk / "dev", number + "\n");
    writeText(disk / "removable", removable ? "1\n" : "0\n");
    link(number, disk);
    return disk;
}

fs::path SysfsTree::addPartition(const fs::path& disk, const std::string& name,
                                 const std::string& number) {
    const fs::path part = disk / name;
    writeText(part / "dev", number + "\n");
    writeText(part / "partition", "1\n");
    link(number, part);
    return part;
}

fs::path SysfsTree::addVirtual(const std::string& name, const std::string& number) {
    const fs::path folder = sysfs() / "devices/virtual/block" / name;
    writeText(folder / "dev", number + "\n");
    writeText(folder / "removable", "0\n");
    link(number, folder);
    return folder;
}

void SysfsTree::mount(unsigned id, const std::string& number, const std::string& mountPoint,
                      const std::string& root, const std::string& options,
                      const std::string& source) {
    mounts_[id] = std::to_string(id) + " 1 " + number + " " + escaped(root) + " " +
                  escaped(mountPoint) + " " + options + " shared:" + std::to_string(id) +
                  " - vfat " + escaped(source) + " rw,fmask=0022";
    writeMountInfo();
}

void SysfsTree::unmount(unsigned id) {
    mounts_.erase(id);
    writeMountInfo();
}

void SysfsTree::writeMountInfo() {
    std::string text =
        "1 0 0:21 / / rw,relatime - overlay overlay rw\n"
        "22 1 0:5 / /proc rw,nosuid - proc proc rw\n";
    for (const auto& [id, line] : mounts_) {
        text += line + "\n";
    }
    writeText(mountInfo(), text);
}

void SysfsTree::writeRawMountInfo(const std::string& text) {
    writeText(mountInfo(), text);
}
