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
    // Built on first use, after the test has laid out its tree.
    DeviceLocator& locator() {
        if (!locator_) {
            locator_ = std::make_unique<DeviceLocator>(
                std::make_unique<LinuxLocatorPlatform>(tree.sysfs(), tree.mountInfo()), console);
        }
        return *locator_;
    }
    Strings matches() { return locator().collectMatchEntries(); }
    const LocatorScan& scan() { return locator().lastScan(); }
    std::string letters() {
        locator().collectMatchEntries();
        std::string text;
        for (const DriveRoot& root : scan().roots) {
            text += root.letter;
        }
        return text;
    }

    SysfsTree tree;
    std::ostringstream console;

  private:
    std::unique_ptr<DeviceLocator> locator_;
};

TEST_F(LinuxLocatorTest, MountsThatAreNotDrivesGetNoLetter) {
    tree.addPartition(tree.addUsbDisk("sdb", "8:16", {}, 1), "sdb1", "8:17");
    tree.addVirtual("loop0", "7:0");
    tree.addVirtual("dm-0", "253:0");
    tree.mount(50, "7:0", "/snap/core/1", "/", "ro", "/dev/loop0");
    tree.mount(51, "253:0", "/home", "/", "rw", "/dev/mapper/vg-home");
    tree.mount(52, "8:17", "/srv/bound", "/photos", "rw", "/dev/sdb1");  // a bind mount
    tree.mount(53, "0:45", "/run/user/1000", "/", "rw", "tmpfs");
    tree.mount(54, "8:33", "/media/u/GONE", "/", "rw", "/dev/sdc1");  // not in sysfs any more
    EXPECT_EQ(letters(), "");
    EXPECT_TRUE(matches().empty());

    const auto notes = [&] {
        std::string text;
        for (const std::string& line : locator().platform().notes()) {
            text += line + "\n";
        }
        return text;
    };
    for (const char* note : {"/snap/core/1 (/dev/loop0, 7:0): virtual device",
                             "/home (/dev/mapper/vg-home, 253:0): virtual device",
                             "/srv/bound (/dev/sdb1, 8:17): shows only /photos",
                             "/run/user/1000 (tmpfs, 0:45): not a block device",
                             "/media/u/GONE (/dev/sdc1, 8:33): no device in sysfs"}) {
        EXPECT_NE(notes().find(note), std::string::npos) << note << " in\n" << notes();
    }
    tree.unmount(50);  // the notes are the last table's
    letters();
    EXPECT_EQ(notes().find("/snap/core/1"), std::string::npos) << notes();
}

TEST_F(LinuxLocatorTest, EscapedMountPointsAreDecoded) {
    tree.addUsbDisk("sdb", "8:16", {}, 1);
    tree.mount(40, "8:16", "/media/u/MY LOGGER\tA\\B");
    ASSERT_EQ(letters(), "C");
    EXPECT_EQ(locator().rootOf('C'), fs::path("/media/u/MY LOGGER\tA\\B"));

    const auto entries = parseMountInfo(
        "36 35 98:0 /mnt1 /mnt/a\\040b rw,noatime master:1 shared:2 - ext3 /dev/root rw\n"
        "garbage line\n"
        "37 35 x:0 / /mnt rw - ext3 /dev/x rw\n"
        "38 35 8:1 / /ro ro - vfat /dev/sda1\n"
        "39 35 8:2 / /cut rw - vfat\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].mountPoint, "/mnt/a b");
    EXPECT_EQ(entries[0].root, "/mnt1");
    EXPECT_EQ(entries[0].fsType, "ext3");
    EXPECT_FALSE(entries[0].readOnly());
    EXPECT_TRUE(entries[1].readOnly());
    EXPECT_EQ(entries[1].superOptions, "");
}

TEST_F(LinuxLocatorTest, MissingOrUnreadableFilesLeaveOnlyThatDeviceOut) {
    struct Case {
        const char* what;
        std::string file;  // in the disk sdb, or else in its USB device folder
        bool onDisk;
        bool asFolder;  // a folder in place of the file cannot be read
        Strings matches;
        const char* console;
    };
    const std::string logger1 = "PFAD_C\\VID_2017&PID_0901\\SN0001";
    const std::string logger2 = "PFAD_D\\VID_2017&PID_0901\\SN0002";
    const Case cases[] = {
        {"no dev file in the disk", "dev", true, false, {logger2}, ""},
        {"unreadable dev file", "dev", true, true, {logger2}, ""},
        {"unreadable idVendor", "idVendor", false, true, {logger2}, "   No found ID!\n"},
        {"missing idProduct: no USB device there", "idProduct", false, false, {logger2}, ""},
        {"unreadable serial", "serial", false, true, {"PFAD_C\\VID_2017&PID_0901\\", logger2}, ""},
        {"missing removable flag", "removable", true, false, {logger1, logger2}, ""},
    };
    for (const Case& c : cases) {
        SysfsTree fresh;
        const fs::path disk = fresh.addUsbDisk("sdb", "8:16", {}, 1);
        fresh.addUsbDisk("sdc", "8:32", {"2017", "0901", "SN0002"}, 2);
        const fs::path file = (c.onDisk ? disk : fresh.usbDevice(1)) / c.file;
        fs::remove(file);
        if (c.asFolder) {
            fs::create_directory(file);
        }
        fresh.mount(40, "8:16", "/media/u/A");
        fresh.mount(41, "8:32", "/media/u/B");
        std::ostringstream out;
        DeviceLocator located(
            std::make_unique<LinuxLocatorPlatform>(fresh.sysfs(), fresh.mountInfo()), out);
        EXPECT_EQ(located.collectMatchEntries(), c.matches) << c.what;
        EXPECT_EQ(out.str(), c.console) << c.what;
    }
    // A device that could not be read whole is read again on the next search.
    tree.addUsbDisk("sdb", "8:16", {}, 1);
    const fs::path idVendor = tree.usbDevice(1) / "idVendor";
    fs::remove(idVendor);
    fs::create_directory(idVendor);
    tree.mount(40, "8:16", "/media/u/A");
    EXPECT_EQ(matches(), Strings{});
    fs::remove(idVendor);
    SysfsTree::write(idVendor, "2017\n");
    tree.mount(41, "0:45", "/run/user/1000", "/", "rw", "tmpfs");  // a changed table
    EXPECT_EQ(matches(), Strings{"PFAD_C\\VID_2017&PID_0901\\SN0001"});
}

// Work that nothing changed is not redone, and the answers are a fresh search's all along. A
// tick on which neither the mount table nor a drive's device changed looks up one link per
// drive; a changed table looks each drive's link up again, and the files of a device only when
// it is new.
TEST_F(LinuxLocatorTest, ATickRedoesOnlyWhatMayHaveChanged) {
    tree.addPartition(tree.addSataDisk("sda", "8:0"), "sda1", "8:1");
    tree.addVirtual("loop0", "7:0");
    tree.addPartition(tree.addUsbDisk("sdb", "8:16", {}, 1), "sdb1", "8:17");
    tree.mount(30, "8:1", "/");
    tree.mount(40, "8:17", "/media/u/A");
    LinuxLocatorPlatform platform(tree.sysfs(), tree.mountInfo());
    DeviceLocator located(platform, console);

    const std::string first = "PFAD_D\\VID_2017&PID_0901\\SN0001";
    const std::string second = "PFAD_E\\VID_2017&PID_0901\\SN0002";
    struct Step {
        const char* what;
        std::function<void()> change;
        std::size_t lookups;
        Strings matches;
    };
    const Step steps[] = {
        {"first tick", [] {}, 27, {first}},
        {"nothing changed", [] {}, 2, {first}},
        {"another filesystem mounted",
         [&] { tree.mount(50, "0:45", "/run/user/1000", "/", "rw", "tmpfs"); },
         4,
         {first}},
        {"a second stick mounted",
         [&] {
             tree.addUsbDisk("sdc", "8:32", {"2017", "0901", "SN0002"}, 2);
             tree.mount(41, "8:32", "/media/u/B");
         },
         19,
         {first, second}},
        {"the first stick pulled out, its mount stays",
         [&] { fs::remove(tree.sysfs() / "dev/block/8:17"); },
         8,
         {second}},
        {"nothing changed since", [] {}, 3, {second}},
    };
    for (const Step& step : steps) {
        step.change();
        const std::size_t before = platform.sysfsLookups();
        EXPECT_EQ(located.collectMatchEntries(), step.matches) << step.what;
        EXPECT_EQ(platform.sysfsLookups() - before, step.lookups) << step.what;
    }
}

TEST_F(LinuxLocatorTest, DrivesKeepTheirLettersWhileMountedAndNewOnesTakeTheLowestFree) {
    for (unsigned i = 0; i < 4; ++i) {
        tree.addUsbDisk("sd" + std::string(1, char('b' + i)), "8:" + std::to_string(16 * (i + 1)),
                        {}, int(i + 1));
    }
    tree.mount(40, "8:16", "/media/a");
    tree.mount(41, "8:32", "/media/b");
    tree.mount(42, "8:48", "/media/c");
    EXPECT_EQ(letters(), "CDE");
    EXPECT_EQ(letters(), "CDE");

    tree.unmount(40);
    EXPECT_EQ(letters(), "DE");
    EXPECT_EQ(locator().rootOf('D'), fs::path("/media/b"));
    EXPECT_FALSE(locator().rootOf('C'));

    tree.mount(43, "8:64", "/media/d");
    EXPECT_EQ(letters(), "CDE");
    EXPECT_EQ(locator().rootOf('C'), fs::path("/media/d"));

    tree.mount(44, "8:16", "/media/a");  // mounted again: a new mount, the next free letter
    EXPECT_EQ(letters(), "CDEF");
    EXPECT_EQ(locator().rootOf('F'), fs::path("/media/a"));

    // Remounted read-only: the same drive.
    tree.mount(44, "8:16", "/media/a", "/", "ro,nosuid");
    EXPECT_EQ(letters(), "CDEF");
    EXPECT_TRUE(locator().platform().isReadOnly('F'));

    // Between two ticks /media/b (id 41) and /media/d went, and the kernel gave id 41 to a
    // new mount of another device: a new drive, not D: again.
    tree.mount(41, "8:64", "/media/e");
    tree.unmount(43);
    EXPECT_EQ(letters(), "CEF");
    EXPECT_EQ(locator().rootOf('C'), fs::path("/media/e"));
    EXPECT_FALSE(locator().rootOf('D'));
    EXPECT_EQ(
        locator().lastScan().driveEntries,
        (Strings{"PFAD_C_" + packed(8, 64), "PFAD_E_" + packed(8, 48), "PFAD_F_" + packed(8, 16)}));
}

TEST_F(LinuxLocatorTest, AtMostTwentyFourDrivesGetLetters) {
    const fs::path sda = tree.addSataDisk("sda", "8:0");
    for (unsigned i = 1; i <= 30; ++i) {
        const std::string number = "8:" + std::to_string(i);
        tree.addPartition(sda, "sda" + std::to_string(i), number);
        tree.mount(100 + i, number, "/mnt/p" + std::to_string(i));
    }
    EXPECT_EQ(letters(), "CDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(locator().rootOf('Z'), fs::path("/mnt/p24"));
}

// The mount table is handed out only when it changes.
TEST(MountInfoWatch, HandsOutTheTableOnceUntilItChanges) {
    MountInfoWatch kernel("/proc/self/mountinfo");
    const auto table = kernel.changedText();
    ASSERT_TRUE(table);
    EXPECT_NE(table->find(" - "), std::string::npos);
    EXPECT_FALSE(kernel.changedText());  // nothing was mounted since
    EXPECT_FALSE(kernel.changedText());

    SysfsTree tree;
    MountInfoWatch watch(tree.mountInfo());
    const auto first = watch.changedText();
    ASSERT_TRUE(first);
    EXPECT_FALSE(watch.changedText());
    tree.mount(40, "8:16", "/media/a");
    const auto second = watch.changedText();
    ASSERT_TRUE(second);
    EXPECT_NE(*second, *first);
    EXPECT_FALSE(watch.changedText());
    tree.unmount(40);
    EXPECT_EQ(watch.changedText(), first);

    // A table up to the bound is read whole; a longer one is refused.
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
