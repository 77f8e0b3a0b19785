#include <gtest/gtest.h>

#include <sstream>

#include "FakeLocatorCalls.h"
#include "discovery/DeviceLocator.h"
#include "platform/windows/WindowsLocatorPlatform.h"

namespace veltra {
namespace {

using test::FakeLocatorCalls;
using namespace std::string_literals;

// A host with a fixed C: (SATA disk 0) and a logger at E: (USB disk 2).
FakeLocatorCalls hostWithLogger() {
    FakeLocatorCalls calls;
    calls.driveStrings = "C:\\\0D:\\\0E:\\\0"s;
    calls.driveTypes = {{"C:\\", DRIVE_FIXED}, {"D:\\", DRIVE_CDROM}, {"E:\\", DRIVE_REMOVABLE}};
    calls.volumes = {{'C', {true, 0}}, {'E', {true, 2}}};
    calls.interfaces = {
        {"\\\\?\\scsi#disk&ven_ata#1#{53f56307}", 11, false, false, "SCSI\\DISK&VEN_ATA\\4&1", true,
         0},
        {"\\\\?\\usbstor#disk&ven_lg#sn1#{53f56307}", 12, false, false,
         "usb\\vid_2017&pid_0901\\SN0001", true, 2},
    };
    return calls;
}

std::vector<std::string> scan(FakeLocatorCalls& calls, std::string* console = nullptr) {
    WindowsLocatorPlatform platform(calls);
    std::ostringstream out;
    DeviceLocator locator(platform, out);
    auto entries = locator.collectMatchEntries();
    if (console) {
        *console = out.str();
    }
    return entries;
}

TEST(WindowsLocatorPlatform, FindsTheLoggerAndReleasesEverything) {
    FakeLocatorCalls calls = hostWithLogger();
    EXPECT_EQ(scan(calls), std::vector<std::string>{"PFAD_E\\VID_2017&PID_0901\\SN0001"});
    EXPECT_TRUE(calls.openHandles.empty());
    EXPECT_EQ(calls.badCloses, 0);
    EXPECT_EQ(calls.setsOpened, 1);
    EXPECT_EQ(calls.setsDestroyed, 1);
}

TEST(WindowsLocatorPlatform, CallsCarryTheDocumentedArguments) {
    FakeLocatorCalls calls = hostWithLogger();
    scan(calls);

    ASSERT_GE(calls.opens.size(), 2u);
    EXPECT_EQ(calls.opens[0].path, "\\\\?\\C:");
    EXPECT_EQ(calls.opens[1].path, "\\\\?\\E:");
    for (const auto& open : calls.opens) {
        const bool volume = open.path.size() == 6;
        EXPECT_EQ(open.access, volume ? DWORD{GENERIC_READ | GENERIC_WRITE} : DWORD{0})
            << open.path;
        EXPECT_EQ(open.share, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}) << open.path;
        EXPECT_EQ(open.disposition, DWORD{OPEN_EXISTING}) << open.path;
        EXPECT_EQ(open.flags, DWORD{0}) << open.path;
    }
    EXPECT_EQ(calls.classDevsFlags, DWORD{0x12});
    EXPECT_TRUE(IsEqualGUID(calls.classDevsClass, DiskInterfaceClass));
    for (std::size_t i = 0; i < calls.ioctlCodes.size(); ++i) {
        EXPECT_EQ(calls.ioctlCodes[i], DWORD{0x2D1080});
        EXPECT_EQ(calls.ioctlOutSizes[i], DWORD{12});
    }
    for (const DWORD size : calls.interfaceDataCbSizes) {
        EXPECT_EQ(size, DWORD{sizeof(SP_DEVICE_INTERFACE_DATA)});
    }
    ASSERT_EQ(calls.detailCbSizes.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(calls.detailCbSizes[i], DWORD{sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)});
        EXPECT_EQ(calls.devInfoCbSizes[i], DWORD{sizeof(SP_DEVINFO_DATA)});
        // The size that the first call asked for, and one byte more.
        const std::size_t path = calls.interfaces[i].devicePath.size() + 1;
        EXPECT_EQ(calls.detailBufferSizes[i],
                  offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + path + 1);
    }
    for (const ULONG length : calls.deviceIdLengths) {
        EXPECT_EQ(length, ULONG{520});
    }
}

// Each fault leaves out what it concerns, never stops the rest, and leaks nothing.
TEST(WindowsLocatorPlatform, FaultsSkipTheirEntryAndReleaseEverything) {
    struct Case {
        const char* name;
        void (*spoil)(FakeLocatorCalls&);
        std::vector<std::string> expected;
        const char* console;
    };
    const std::vector<std::string> logger = {"PFAD_E\\VID_2017&PID_0901\\SN0001"};
    const Case cases[] = {
        {"C: cannot be opened", [](FakeLocatorCalls& c) { c.volumes['C'].opens = false; }, logger,
         ""},
        {"C: number query fails", [](FakeLocatorCalls& c) { c.volumes['C'].number.reset(); },
         logger, ""},
        {"E: number query fails",
         [](FakeLocatorCalls& c) { c.volumes['E'].number.reset(); },
         {},
         ""},
        {"no interface set", [](FakeLocatorCalls& c) { c.setOpens = false; }, {}, ""},
        {"size query misbehaves",
         [](FakeLocatorCalls& c) { c.interfaces[0].sizeQueryFails = true; }, logger, ""},
        {"SATA detail fails", [](FakeLocatorCalls& c) { c.interfaces[0].detailFails = true; },
         logger, ""},
        {"logger detail fails",
         [](FakeLocatorCalls& c) { c.interfaces[1].detailFails = true; },
         {},
         ""},
        {"SATA parent unreadable", [](FakeLocatorCalls& c) { c.interfaces[0].parentId.reset(); },
         logger, "   No found ID!\n"},
        {"logger parent unreadable",
         [](FakeLocatorCalls& c) { c.interfaces[1].parentId.reset(); },
         {},
         "   No found ID!\n"},
        {"logger interface cannot be opened",
         [](FakeLocatorCalls& c) { c.interfaces[1].opens = false; },
         {},
         ""},
        {"logger interface number fails",
         [](FakeLocatorCalls& c) { c.interfaces[1].number.reset(); },
         {},
         ""},
        {"no drive strings", [](FakeLocatorCalls& c) { c.driveStringsResult = 0; }, {}, ""},
        {"drive strings too long", [](FakeLocatorCalls& c) { c.driveStringsResult = 300; }, {}, ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        FakeLocatorCalls calls = hostWithLogger();
        test.spoil(calls);
        std::string console;
        EXPECT_EQ(scan(calls, &console), test.expected);
        EXPECT_EQ(console, test.console);
        EXPECT_TRUE(calls.openHandles.empty());
        EXPECT_EQ(calls.badCloses, 0);
        EXPECT_EQ(calls.setsDestroyed, calls.setsOpened);
    }
}

TEST(WindowsLocatorPlatform, DriveRootsKeepOnlyDriveLettersInOrder) {
    FakeLocatorCalls calls;
    calls.driveStrings = "A:\\\0c:\\\0\\\\srv\\share\\\0E:\\\0Z:\\x\0"s;
    calls.driveTypes = {{"A:\\", DRIVE_REMOVABLE}, {"c:\\", DRIVE_FIXED}, {"E:\\", DRIVE_REMOTE}};
    WindowsLocatorPlatform platform(calls);
    const auto roots = platform.listDriveRoots();
    ASSERT_EQ(roots.size(), 3u);
    EXPECT_EQ(roots[0].letter, 'A');
    EXPECT_EQ(roots[0].type, DriveType::Removable);
    EXPECT_EQ(roots[1].letter, 'C');
    EXPECT_EQ(roots[1].type, DriveType::Fixed);
    EXPECT_EQ(roots[2].letter, 'E');
    EXPECT_EQ(roots[2].type, DriveType::Other);
    EXPECT_EQ(platform.rootOf('e'), std::filesystem::path("E:\\"));
    EXPECT_EQ(platform.rootOf('C'), std::filesystem::path("C:\\"));
    EXPECT_FALSE(platform.rootOf('Z'));
    EXPECT_FALSE(platform.rootOf('1'));
}

TEST(WindowsLocatorPlatform, ParentIdFillingTheWholeBufferIsKeptWithinIt) {
    FakeLocatorCalls calls;
    calls.interfaces = {{"\\\\?\\usbstor#1", 5, false, false, std::string(520, 'X'), true, 1}};
    WindowsLocatorPlatform platform(calls);
    const auto set = platform.openDiskInterfaceSet();
    ASSERT_TRUE(set);
    DiskInterface disk;
    ASSERT_EQ(set->interfaceAt(0, disk), InterfaceLookup::Found);
    EXPECT_EQ(disk.devicePath, "\\\\?\\usbstor#1");
    EXPECT_EQ(set->parentDeviceId(disk), std::string(520, 'X'));
    EXPECT_EQ(set->interfaceAt(1, disk), InterfaceLookup::NoMore);
}

}  // namespace
}  // namespace veltra
