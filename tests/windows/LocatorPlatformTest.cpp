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
    calls.volumes = {{'C', {true, 0}}, {'E', {true, 2}}};
    calls.interfaces = {
        {"\\\\?\\scsi#disk&ven_ata#1#{53f56307}", 11, "SCSI\\DISK&VEN_ATA\\4&1", 0},
        {"\\\\?\\usbstor#disk&ven_lg#sn1#{53f56307}", 12, "usb\\vid_2017&pid_0901\\SN0001", 2},
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

// Each fault leaves out what it concerns, never stops the rest, and leaks nothing.
TEST(WindowsLocatorPlatform, FindsTheLoggerDespiteOtherFaultsAndReleasesEverything) {
    struct Case {
        const char* name;
        void (*spoil)(Calls&);
        bool loggerFound;
        const char* console;
    };
    const Case cases[] = {
        {"no fault", [](Calls&) {}, true, ""},
        {"C: cannot be opened", [](Calls& c) { c.volumes['C'].opens = false; }, true, ""},
        {"C: number query fails", [](Calls& c) { c.volumes['C'].number.reset(); }, true, ""},
        {"E: number query fails", [](Calls& c) { c.volumes['E'].number.reset(); }, false, ""},
        {"no interface set", [](Calls& c) { c.setOpens = false; }, false, ""},
        {"size query misbehaves", [](Calls& c) { c.interfaces[0].sizeQueryFails = true; }, true,
         ""},
        {"SATA detail fails", [](Calls& c) { c.interfaces[0].detailFails = true; }, true, ""},
        {"logger detail fails", [](Calls& c) { c.interfaces[1].detailFails = true; }, false, ""},
        {"SATA parent unreadable", [](Calls& c) { c.interfaces[0].parentId.reset(); }, true,
         "   No found ID!\n"},
        {"logger parent unreadable", [](Calls& c) { c.interfaces[1].parentId.reset(); }, false,
         "   No found ID!\n"},
        {"logger interface cannot be opened", [](Calls& c) { c.interfaces[1].opens = false; },
         false, ""},
        {"logger interface number fails", [](Calls& c) { c.interfaces[1].number.reset(); }, false,
         ""},
        {"no drive strings", [](Calls& c) { c.driveStringsResult = 0; }, false, ""},
        {"drive strings too long", [](Calls& c) { c.driveStringsResult = 300; }, false, ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Calls calls = hostWithLogger();
        test.spoil(calls);
        std::string console;
        EXPECT_EQ(scan(calls, console), test.loggerFound
                                            ? std::vector{"PFAD_E\\VID_2017&PID_0901\\SN0001"s}
                                            : std::vector<std::string>{});
        EXPECT_EQ(console, test.console);
        EXPECT_TRUE(calls.openHandles.empty());
        EXPECT_EQ(calls.badCloses, 0);
        EXPECT_LE(calls.setsOpened, 1);
        EXPECT_EQ(calls.setsDestroyed, calls.setsOpened);
    }
}

TEST(WindowsLocatorPlatform, CallsCarryTheDocumentedArguments) {
    Calls calls = hostWithLogger();
    std::string console;
    scan(calls, console);
    ASSERT_GE(calls.opens.size(), 2u);
    EXPECT_EQ(calls.opens[0].path, "\\\\?\\C:");
    EXPECT_EQ(calls.opens[1].path, "\\\\?\\E:");
    for (const auto& open : calls.opens) {
        SCOPED_TRACE(open.path);
        const DWORD access = open.path.size() == 6 ? GENERIC_READ | GENERIC_WRITE : 0;  // volumes
        EXPECT_EQ(open.access, access);
        EXPECT_EQ(open.share, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE});
        EXPECT_EQ(open.disposition, DWORD{OPEN_EXISTING});
        EXPECT_EQ(open.flags, 0u);
    }
    EXPECT_EQ(calls.classDevsFlags, DWORD{0x12});
    EXPECT_TRUE(IsEqualGUID(calls.classDevsClass, DiskInterfaceClass));
    EXPECT_EQ(calls.ioctlCodes, std::vector<DWORD>(calls.ioctlCodes.size(), 0x2D1080));
    EXPECT_EQ(calls.ioctlOutSizes, std::vector<DWORD>(calls.ioctlCodes.size(), 12));
    EXPECT_EQ(calls.interfaceDataCbSizes, std::vector<DWORD>(calls.interfaceDataCbSizes.size(),
                                                             sizeof(SP_DEVICE_INTERFACE_DATA)));
    EXPECT_EQ(calls.detailCbSizes,
              std::vector<DWORD>(2, sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)));
    EXPECT_EQ(calls.devInfoCbSizes, std::vector<DWORD>(2, sizeof(SP_DEVINFO_DATA)));
    // The size that the first call asked for, and one byte more.
    ASSERT_EQ(calls.detailBufferSizes.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(calls.detailBufferSizes[i],
                  offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) +
                      calls.interfaces[i].devicePath.size() + 2);
    }
    EXPECT_EQ(calls.deviceIdLengths, std::vector<ULONG>(calls.deviceIdLengths.size(), 520));
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
    calls.interfaces = {{"\\\\?\\usbstor#1", 5, std::string(520, 'X'), 1}};
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
