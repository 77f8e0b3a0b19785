#include <gtest/gtest.h>

#include <sstream>

#include "FakeLocatorCalls.h"
#include "discovery/DeviceLocator.h"
#include "platform/windows/WindowsLocatorPlatform.h"

namespace veltra {
namespace {

using Calls = test::FakeLocatorCalls;
using namespace std::string_literals;

// A host with a fixed C: (SATA disk 0), a CD drive D: and a logger at E: (USB disk 2).
Calls hostWithLogger() {
    Calls calls;
    calls.driveStrings = "C:\\\0D:\\\0E:\\\0"s;
    calls.driveTypes = {{"C:\\", DRIVE_FIXED}, {"D:\\", DRIVE_CDROM}, {"E:\\", DRIVE_REMOVABLE}};
    calls.volumes = {{'C', 0}, {'E', 2}};
    calls.interfaces = {
        {"\\\\?\\scsi#disk&ven_ata#1#{53f56307}", "SCSI\\DISK&VEN_ATA\\4&1", 0},
        {"\\\\?\\usbstor#disk&ven_lg#sn1#{53f56307}", "usb\\vid_2017&pid_0901\\SN0001", 2},
    };
    return calls;
}

std::vector<std::string> scan(Calls& calls, std::string& console) {
    WindowsLocatorPlatform platform(calls);
    std::ostringstream out;
    auto entries = DeviceLocator(platform, out).collectMatchEntries();
    console = out.str();
    return entries;
}

// Each fault leaves out what it concerns, never stops the rest, and leaks nothing. Every row
// also checks that each call carries the documented arguments, and that the volumes of the
// disk drives are opened in drive order (the CD drive's is not).
TEST(WindowsLocatorPlatform, FindsTheLoggerDespiteOtherFaultsAndReleasesEverything) {
    struct Case {
        const char* name;
        void (*spoil)(Calls&);
        bool loggerFound, noIdNote;  // the note on the console: "   No found ID!"
    };
    const Case cases[] = {
        {"no fault", [](Calls&) {}, true, false},
        {"C: cannot be opened", [](Calls& c) { c.volumes.erase('C'); }, true, false},
        {"C: number query fails", [](Calls& c) { c.volumes['C'].reset(); }, true, false},
        {"E: number query fails", [](Calls& c) { c.volumes['E'].reset(); }, false, false},
        {"no interface set", [](Calls& c) { c.setOpens = false; }, false, false},
        {"size query fails", [](Calls& c) { c.interfaces[0].sizeQueryFails = true; }, true, false},
        {"SATA detail fails", [](Calls& c) { c.interfaces[0].detailFails = true; }, true, false},
        {"logger detail fails", [](Calls& c) { c.interfaces[1].detailFails = true; }, false, false},
        {"SATA parent unreadable", [](Calls& c) { c.interfaces[0].parentId.reset(); }, true, true},
        {"logger parent unknown", [](Calls& c) { c.interfaces[1].parentId.reset(); }, false, true},
        {"logger disk unopenable", [](Calls& c) { c.interfaces[1].opens = false; }, false, false},
        {"logger disk no number", [](Calls& c) { c.interfaces[1].number.reset(); }, false, false},
        {"no drive strings", [](Calls& c) { c.driveStringsResult = 0; }, false, false},
        {"drive strings too long", [](Calls& c) { c.driveStringsResult = 300; }, false, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Calls calls = hostWithLogger();
        test.spoil(calls);
        std::string console;
        EXPECT_EQ(scan(calls, console), test.loggerFound
                                            ? std::vector{"PFAD_E\\VID_2017&PID_0901\\SN0001"s}
                                            : std::vector<std::string>{});
        EXPECT_EQ(console, test.noIdNote ? "   No found ID!\n" : "");
        EXPECT_TRUE(calls.openHandles.empty());
        EXPECT_EQ(calls.badCloses, 0);
        EXPECT_LE(calls.setsOpened, 1);
        EXPECT_EQ(calls.wrongCalls, std::vector<std::string>{});
        EXPECT_EQ(calls.volumesOpened, calls.driveStringsResult ? "" : "CE");
        EXPECT_EQ(calls.setsDestroyed, calls.setsOpened);
    }
}

// Work that nothing changed is not redone. While the window passes on its news of devices, a
// tick without news and with the same drive letters opens no volume and no interface set; news,
// other letters, a volume that could not be opened, or no more news, and the tick searches.
TEST(WindowsLocatorPlatform, SearchesOnlyWhenSomethingMayHaveChanged) {
    using Change = void (*)(Calls&, DeviceLocator&);
    const Change nothing = [](Calls&, DeviceLocator&) {};
    const struct {
        const char* what;
        Change change;
        bool searched, loggerFound;
    } steps[] = {
        {"first tick", nothing, true, true},
        {"nothing changed", nothing, false, true},
        {"news of a device", [](Calls&, DeviceLocator& l) { l.deviceChanged(); }, true, true},
        {"nothing changed since", nothing, false, true},
        {"E: gone", [](Calls& c, DeviceLocator&) { c.driveStrings = "C:\\\0D:\\\0"s; }, true,
         false},
        {"E: back, C: cannot be opened",
         [](Calls& c, DeviceLocator&) {
             c.driveStrings = "C:\\\0D:\\\0E:\\\0"s;
             c.volumes.erase('C');
         },
         true, true},
        {"C: still cannot be opened", nothing, true, true},
        {"C: opens again, news",
         [](Calls& c, DeviceLocator& l) {
             c.volumes['C'] = 0;
             l.deviceChanged();
         },
         true, true},
        {"no more news", [](Calls&, DeviceLocator& l) { l.watchDeviceChanges(false); }, true, true},
    };
    Calls calls = hostWithLogger();
    WindowsLocatorPlatform platform(calls);
    std::ostringstream console;
    DeviceLocator located(platform, console);
    located.watchDeviceChanges(true);
    for (const auto& step : steps) {
        step.change(calls, located);
        const int setsBefore = calls.setsOpened;
        const std::size_t volumesBefore = calls.volumesOpened.size();
        EXPECT_EQ(located.collectMatchEntries(),
                  step.loggerFound ? std::vector{"PFAD_E\\VID_2017&PID_0901\\SN0001"s}
                                   : std::vector<std::string>{})
            << step.what;
        EXPECT_EQ(calls.setsOpened - setsBefore, step.searched ? 1 : 0) << step.what;
        EXPECT_EQ(calls.volumesOpened.size() > volumesBefore, step.searched) << step.what;
    }
    EXPECT_TRUE(calls.openHandles.empty());
}

TEST(WindowsLocatorPlatform, DriveRootsKeepOnlyDriveLettersInOrder) {
    Calls calls;
    calls.driveStrings = "A:\\\0c:\\\0\\\\srv\\share\\\0E:\\\0Z:\\x\0"s;
    calls.driveTypes = {{"A:\\", DRIVE_REMOVABLE}, {"c:\\", DRIVE_FIXED}, {"E:\\", DRIVE_REMOTE}};
    WindowsLocatorPlatform platform(calls);
    std::vector<std::pair<char, DriveType>> roots;
    for (const auto& root : platform.listDriveRoots()) {
        roots.emplace_back(root.letter, root.type);
    }
    EXPECT_EQ(roots,
              (std::vector<std::pair<char, DriveType>>{
                  {'A', DriveType::Removable}, {'C', DriveType::Fixed}, {'E', DriveType::Other}}));
    EXPECT_EQ(platform.rootOf('e'), std::filesystem::path("E:\\"));
    EXPECT_EQ(platform.rootOf('C'), std::filesystem::path("C:\\"));
    EXPECT_FALSE(platform.rootOf('Z'));
    EXPECT_FALSE(platform.rootOf('1'));
}

TEST(WindowsLocatorPlatform, ParentIdFillingTheWholeBufferIsKeptWithinIt) {
    Calls calls;
    calls.interfaces = {{"\\\\?\\usbstor#1", std::string(520, 'X'), 1}};
    const auto set = WindowsLocatorPlatform(calls).openDiskInterfaceSet();
    ASSERT_TRUE(set);
    DiskInterface disk;
    ASSERT_EQ(set->interfaceAt(0, disk), InterfaceLookup::Found);
    EXPECT_EQ(disk.devicePath, "\\\\?\\usbstor#1");
    EXPECT_EQ(set->parentDeviceId(disk), std::string(520, 'X'));
    EXPECT_EQ(set->interfaceAt(1, disk), InterfaceLookup::NoMore);
}

}  // namespace
}  // namespace veltra
