#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "SysfsTree.h"
#include "discovery/DeviceLocator.h"
#include "platform/linux/LinuxLocatorPlatform.h"
#include "platform/linux/MountInfoWatch.h"
#include "platform/linux/MountTable.h"
#include "platform/linux/SysfsBlock.h"

namespace veltra {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class LinuxLocatorTest : public ::testing::Test {
  protected:
    Strings matches() { return locator.collectMatchEntries(); }
    std::string letters() {
        locator.collectMatchEntries();
        std::string text;
        for (const DriveRoot& root : locator.lastScan().roots) {
            text += root.letter;
        }
        return text;
    }

    SysfsTree tree;
    std::ostringstream console;
    LinuxLocatorPlatform platform{tree.sysfs(), tree.mountInfo()};
    DeviceLocator locator{platform, console};
};

TEST(MountTable, EscapedFieldsAreDecodedAndBrokenLinesSkipped) {
    const auto entries = parseMountInfo(
        "36 35 98:0 /mnt1 /mnt/a\\040b\\011c\\812\\134 rw,noatime master:1 shared:2 - ext3 /dev/r "
        "rw\n"
        "garbage line\n"
        "37 35 x:0 / /mnt rw - ext3 /dev/x rw\n"
        "38 35 8:1 / /ro ro - vfat /dev/sda1\n"
        "39 35 8:2 / /cut rw - vfat\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].mountPoint, "/mnt/a b\tc\\812\\");  // no escape: 8 is no octal digit
    EXPECT_EQ(entries[0].root, "/mnt1");
    EXPECT_EQ(entries[0].fsType, "ext3");
    EXPECT_FALSE(entries[0].readOnly());
    EXPECT_TRUE(entries[1].readOnly());
    EXPECT_EQ(entries[1].superOptions, "");
}

TEST_F(LinuxLocatorTest, MissingOrUnreadableFilesLeaveOnlyThatDeviceOut) {
    // A stick with a file missing or unreadable (a folder in its place) on each port from 2:
    // the file, whether it is the disk's (else the USB device's), whether a folder stands there.
    const std::tuple<const char*, bool, bool> breaks[] = {
        {"dev", true, false},        {"dev", true, true},     {"idVendor", false, true},
        {"idProduct", false, false}, {"serial", false, true}, {"removable", true, false}};
    tree.mount(41, "8:16", "/media/u/1");
    tree.addUsbDisk("sdb", "8:16", {}, 1);
    int port = 2;
    for (const auto& [name, onDisk, asFolder] : breaks) {
        const std::string number = "8:" + std::to_string(16 * port);
        const fs::path disk = tree.addUsbDisk("sd" + std::string(1, char('a' + port)), number,
                                              {"2017", "0901", "SN" + std::to_string(port)}, port);
        const fs::path file = (onDisk ? disk : tree.usbDevice(port)) / name;
        fs::remove(file);
        if (asFolder) {
            fs::create_directory(file);
        }
        tree.mount(40 + port, number, "/media/u/" + std::to_string(port));
        ++port;
    }
    const std::string logger = "VID_2017&PID_0901\\SN";
    EXPECT_EQ(matches(), (Strings{"PFAD_C\\" + logger + "0001", "PFAD_H\\" + logger.substr(0, 18),
                                  "PFAD_I\\" + logger + "7"}));
    EXPECT_EQ(console.str(), "   No found ID!\n   No found ID!\n");  // no idVendor, no idProduct
    EXPECT_EQ(locator.lastScan().roots.back().type, DriveType::Removable);  // on USB

    // A device that could not be read whole is read again on the next search.
    fs::remove(tree.usbDevice(4) / "idVendor");
    SysfsTree::write(tree.usbDevice(4) / "idVendor", "2017\n");
    tree.mount(60, "0:45", "/run/user/1000", "/", "rw", "tmpfs");  // a changed table
    EXPECT_EQ(matches().at(1), "PFAD_F\\" + logger + "4");
}

// Work that nothing changed is not redone, and the answers are a fresh search's all along:
// sysfs lookups per tick.
TEST_F(LinuxLocatorTest, ATickRedoesOnlyWhatMayHaveChanged) {
    tree.addPartition(tree.addSataDisk("sda", "8:0"), "sda1", "8:1");
    tree.addVirtual("loop0", "7:0");
    tree.addPartition(tree.addUsbDisk("sdb", "8:16", {}, 1), "sdb1", "8:17");
    tree.mount(30, "8:1", "/");
    tree.mount(40, "8:17", "/media/u/A");
    const std::string first = "PFAD_D\\VID_2017&PID_0901\\SN0001";
    const std::string second = "PFAD_E\\VID_2017&PID_0901\\SN0002";
    const std::tuple<std::function<void()>, std::size_t, Strings> steps[] = {
        {[] {}, 38, {first}},
        {[] {}, 2, {first}},
        {[&] { tree.mount(50, "0:45", "/run/user/1000", "/", "rw", "tmpfs"); }, 4, {first}},
        {[&] {
             tree.addUsbDisk("sdc", "8:32", {"2017", "0901", "SN0002"}, 2);
             tree.mount(41, "8:32", "/media/u/B");
         },
         23,
         {first, second}},
        // The first stick pulled out, its mount stays.
        {[&] { fs::remove(tree.sysfs() / "dev/block/8:17"); }, 8, {second}},
        {[] {}, 3, {second}},
    };
    int step = 0;
    for (const auto& [change, lookups, expected] : steps) {
        change();
        const std::size_t before = platform.sysfsLookups();
        EXPECT_EQ(matches(), expected) << step;
        EXPECT_EQ(platform.sysfsLookups() - before, lookups) << step++;
    }
}

TEST_F(LinuxLocatorTest, DrivesKeepTheirLettersWhileMountedAndNewOnesTakeTheLowestFree) {
    for (int i = 0; i < 4; ++i) {
        tree.addUsbDisk("sd" + std::string(1, char('b' + i)), "8:" + std::to_string(16 * (i + 1)),
                        {}, i + 1);
    }
    tree.mount(40, "8:16", "/media/a");
    tree.mount(41, "8:32", "/media/b");
    tree.mount(42, "8:48", "/media/c");
    EXPECT_EQ(letters(), "CDE");

    tree.unmount(40);
    EXPECT_EQ(letters(), "DE");
    for (const std::string& note : platform.notes()) {  // the notes are the last table's
        EXPECT_NE(note.rfind("mount /media/a ", 0), 0u) << note;
    }
    EXPECT_EQ(locator.rootOf('D'), fs::path("/media/b"));

    tree.mount(43, "8:64", "/media/d");
    EXPECT_EQ(letters(), "CDE");
    EXPECT_EQ(locator.rootOf('C'), fs::path("/media/d"));

    tree.mount(44, "8:16", "/media/a");  // mounted again: a new mount, the next free letter
    EXPECT_EQ(letters(), "CDEF");
    tree.mount(44, "8:16", "/media/a", "/", "ro,nosuid");  // remounted: the same drive
    EXPECT_EQ(letters(), "CDEF");
    EXPECT_TRUE(platform.isReadOnly('F'));

    // Between two ticks /media/b (id 41) and /media/d went, and the kernel gave id 41 to a
    // new mount of another device: a new drive, not D: again.
    tree.mount(41, "8:64", "/media/e");
    tree.unmount(43);
    EXPECT_EQ(letters(), "CEF");
    EXPECT_EQ(locator.lastScan().driveEntries,
              (Strings{"PFAD_C_8388672", "PFAD_E_8388656", "PFAD_F_8388624"}));  // packed MAJ:MIN

    const fs::path sda = tree.addSataDisk("sda", "65:0");  // at most 24 letters
    for (unsigned i = 1; i <= 30; ++i) {
        const std::string number = "65:" + std::to_string(i);
        tree.addPartition(sda, "sda" + std::to_string(i), number);
        tree.mount(100 + i, number, "/mnt/p" + std::to_string(i));
    }
    EXPECT_EQ(letters(), "CDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(locator.rootOf('Z'), fs::path("/mnt/p21"));
}

// A table file (its changes are the locator's ticks) up to the bound is read whole; a longer
// one is refused.
TEST(MountInfoWatch, ReadsTheTableUpToItsBound) {
    SysfsTree tree;
    MountInfoWatch watch(tree.mountInfo());
    std::string text(MountInfoWatch::Limit, 'x');
    SysfsTree::write(tree.mountInfo(), text);
    EXPECT_EQ(watch.changedText(), text);
    EXPECT_EQ(watch.problem(), "");
    SysfsTree::write(tree.mountInfo(), text + "x");
    EXPECT_EQ(watch.changedText(), "");
    EXPECT_EQ(watch.problem(),
              "cannot read the mount table " + tree.mountInfo().string() + ": longer than 8 MiB");
}

// sysfs dev files hold "MAJ:MIN" and the kernel's line end; anything else names no device.
TEST(SysfsBlock, DeviceNumbersAreReadAsTheKernelWritesThem) {
    using namespace std::string_view_literals;
    using Number = std::optional<std::pair<unsigned, unsigned>>;
    const std::pair<std::string_view, Number> cases[] = {
        {"8:16\n", {{8, 16}}},
        {" \t8:0 \t\r\n\0"sv, {{8, 0}}},
        {"4095:1048575", {{4095, 1048575}}},
        {"4096:0", {}},
        {"0:1048576", {}},
        {"8:", {}},
        {":1", {}},
        {"8:1x", {}},
        {"x8:1", {}},
        {"8 1", {}},
    };
    for (const auto& [text, expected] : cases) {
        const auto number = parseBlockNumber(text);
        EXPECT_EQ(number ? Number({number->major, number->minor}) : std::nullopt, expected) << text;
    }
    // An attribute is one short line: no more than 4096 bytes of a file are read.
    SysfsTree tree;
    const std::string text(5000, 'a');
    SysfsTree::write(tree.base() / "long", text);
    EXPECT_EQ(readSmallFile(tree.base() / "long"), text.substr(0, 4096));
    EXPECT_FALSE(readSmallFile(tree.base() / "missing"));
}

}  // namespace
}  // namespace veltra
