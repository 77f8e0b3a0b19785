#include "SysfsTree.h"

#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        out += c == ' '    ? "\\040"
               : c == '\t' ? "\\011"
               : c == '\n' ? "\\012"
               : c == '\\' ? "\\134"
                           : std::string(1, c);
    }
    return out;
}

}  // namespace

std::string packed(unsigned major, unsigned minor) {
    return std::to_string((major << 20) | minor);
}

SysfsTree::SysfsTree() {
    fs::create_directories(sysfs() / "dev" / "block");
    writeMountInfo();
}

void SysfsTree::write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

fs::path SysfsTree::addDevice(const fs::path& folder, const std::string& number,
                              const std::string& flag, const std::string& value) {
    write(folder / "dev", number + "\n");
    write(folder / flag, value + "\n");
    const fs::path from = sysfs() / "dev" / "block" / number;
    fs::create_directory_symlink(folder.lexically_relative(from.parent_path()), from);
    return folder;
}

fs::path SysfsTree::addUsbDisk(const std::string& name, const std::string& number, const Usb& usb,
                               int port) {
    const fs::path usbFolder = usbDevice(port);
    write(usbFolder / "idVendor", usb.vendor + "\n");
    write(usbFolder / "idProduct", usb.product + "\n");
    if (usb.serial) {
        write(usbFolder / "serial", *usb.serial + "\n");
    }
    const std::string host = std::to_string(port + 5);
    return addDevice(usbFolder / (usbFolder.filename().string() + ":1.0") / ("host" + host) /
                         ("target" + host + ":0:0") / (host + ":0:0:0") / "block" / name,
                     number, "removable", "1");
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
    write(mountInfo(), text);
}
