#include <gtest/gtest.h>

#include <sstream>

#include "FakeLocatorCalls.h"
#include "discovery/DeviceLocator.h"

namespace veltra {
namespace {

using Calls = test::FakeLocatorCalls;
using Found = std::vector<std::string>;
using namespace std::string_literals;

const Found Logger{"PFAD_E\\VID_2017&PID_0901\\SN0001"};

// A fixed C: (SATA disk 0), a CD drive D:, a network share, and a logger at e: (USB disk 2).
Calls hostWithLogger() {
    Calls calls;
    calls.driveStrings = "C:\\\0D:\\\0\\\\srv\\share\\\0e:\\\0"s;
    calls.driveTypes = {{"C:\\", DRIVE_FIXED}, {"D:\\", DRIVE_CDROM}, {"e:\\", DRIVE_REMOVABLE}};
    calls.volumes = {{'C', 0}, {'E', 2}};
    calls.interfaces = {
        {"\\\\?\\scsi#disk&ven_ata#1#{53f56307}", "SCSI\\DISK&VEN_ATA\\4&1", 0},
        {"\\\\?\\usbstor#disk&ven_lg#sn1#{53f56307}", "usb\\vid_2017&pid_0901\\SN0001", 2},
    };
    return calls;
}

// Each fault leaves out what it concerns, never stops the rest, and leaks nothing; every call
// carries the documented arguments, and only the volumes of disk drives are opened, in order.
TEST(WindowsLocatorPlatform, FindsTheLoggerDespiteOtherFaultsAndReleasesEverything) {
    const struct {
        const char* name;
        void (*spoil)(Calls&);
        bool loggerFound, noIdNote;  // the note on the console: "   No found ID!"
    } cases[] = {
        {"no fault", [](Calls&) {}, true, false},
        {"C: cannot be opened", [](Calls& c) { c.volumes.erase('C'); }, true, false},
        {"C: number query fails", [](Calls& c) { c.volumes['C'].reset(); }, true, false},
        {"E: number query fails", [](Calls& c) { c.volumes['E'].reset(); }, false, false},
        {"no interface set", [](Calls& c) { c.setOpens = false; }, false, false},
        {"SATA size query", [](Calls& c) { c.interfaces[0].failingDetailCall = 1; }, true, false},
        {"logger detail", [](Calls& c) { c.interfaces[1].failingDetailCall = 2; }, false, false},
        {"SATA parent unreadable", [](Calls& c) { c.interfaces[0].parentId.reset(); }, true, true},
        {"SATA parent fills the buffer",
         [](Calls& c) { c.interfaces[0].parentId = std::string(520, 'X'); }, true, false},
        {"logger parent unknown", [](Calls& c) { c.interfaces[1].parentId.reset(); }, false, true},
        {"logger disk unopenable", [](Calls& c) { c.interfaces[1].opens = false; }, false, false},
        {"logger disk no number", [](Calls& c) { c.interfaces[1].number.reset(); }, false, false},
        {"no drive strings", [](Calls& c) { c.driveStringsResult = 0; }, false, false},
        {"drive strings too long", [](Calls& c) { c.driveStringsResult = 300; }, false, false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        Calls calls = hostWithLogger();
        test.spoil(calls);
        WindowsLocatorPlatform platform(calls);
        std::ostringstream console;
        EXPECT_EQ(DeviceLocator(platform, console).collectMatchEntries(),
                  test.loggerFound ? Logger : Found{});
        EXPECT_EQ(console.str(), test.noIdNote ? "   No found ID!\n" : "");
        EXPECT_EQ(calls.volumesOpened, calls.driveStringsResult ? "" : "CE");
        EXPECT_EQ(platform.rootOf('E').has_value(), !calls.driveStringsResult);
        EXPECT_TRUE(calls.openHandles.empty());
        EXPECT_EQ(calls.badCloses + calls.wrongCalls, 0);
        EXPECT_EQ(calls.setsDestroyed, calls.setsOpened);
    }
}

// While the window passes on its news of devices, a tick without news and with the same drive
// letters searches nothing; news, other letters, a volume that could not be opened, or no more
// news, and the tick searches.
TEST(WindowsLocatorPlatform, SearchesOnlyWhenSomethingMayHaveChanged) {
    using Change = void (*)(Calls&, DeviceLocator&);
    const Change nothing = [](Calls&, DeviceLocator&) {};
    const struct {
        Change change;
        bool searched, loggerFound;
    } steps[] = {
        {nothing, true, true},
        {nothing, false, true},
        {[](Calls&, DeviceLocator& l) { l.deviceChanged(); }, true, true},
        {nothing, false, true},
        {[](Calls& c, DeviceLocator&) { c.driveStrings = "C:\\\0D:\\\0"s; }, true, false},
        {[](Calls& c, DeviceLocator&) {
             c.driveStrings = "C:\\\0D:\\\0e:\\\0"s;
             c.volumes.erase('C');
         },
         true, true},
        {nothing, true, true},  // C: still cannot be opened
        {[](Calls& c, DeviceLocator&) { c.volumes['C'] = 0; }, true, true},
        {nothing, false, true},
        {[](Calls&, DeviceLocator& l) { l.watchDeviceChanges(false); }, true, true},
    };
    Calls calls = hostWithLogger();
    WindowsLocatorPlatform platform(calls);
    std::ostringstream console;
    DeviceLocator located(platform, console);
    located.watchDeviceChanges(true);
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        steps[i].change(calls, located);
        const int setsBefore = calls.setsOpened;
        EXPECT_EQ(located.collectMatchEntries(), steps[i].loggerFound ? Logger : Found{}) << i;
        EXPECT_EQ(calls.setsOpened - setsBefore, steps[i].searched ? 1 : 0) << i;
    }
}

}  // namespace
}  // namespace veltra
