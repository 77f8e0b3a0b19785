#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "discovery/DeviceLocator.h"
#include "platform/windows/WindowsLocatorPlatform.h"

namespace veltra {
namespace {

using Found = std::vector<std::string>;
using namespace std::string_literals;

const Found Logger{"PFAD_E\\VID_2017&PID_0901\\SN0001"};

// A host with a fixed C: (SATA disk 0), a CD drive D:, a network share and a logger at e: (USB
// disk 2), spoilt by the faults named in `faults`. Counts what is opened and released, and the
// calls made with other than the documented arguments.
class FakeCalls : public LocatorCalls {
  public:
    std::set<std::string> faults;
    std::map<HANDLE, std::optional<DWORD>> openHandles;  // with the device's number
    int badCloses = 0, setsOpened = 0, setsDestroyed = 0, wrongCalls = 0;
    std::string volumesOpened;

    DWORD getLogicalDrives() override { return spoilt("E: gone") ? 0b01100 : 0b11100; }
    DWORD getLogicalDriveStringsA(DWORD length, LPSTR buffer) override {
        const std::string roots = spoilt("E: gone") ? "C:\\\0D:\\\0\\\\srv\\share\\\0"s
                                                    : "C:\\\0D:\\\0\\\\srv\\share\\\0e:\\\0"s;
        if (roots.size() + 1 <= length) {
            std::memcpy(buffer, roots.c_str(), roots.size() + 1);
        }
        return spoilt("no drive strings")         ? 0
               : spoilt("drive strings too long") ? 300
                                                  : DWORD(roots.size());
    }
    UINT getDriveTypeA(LPCSTR root) override {
        const std::map<std::string, UINT> types{
            {"C:\\", DRIVE_FIXED}, {"D:\\", DRIVE_CDROM}, {"e:\\", DRIVE_REMOVABLE}};
        return types.count(root) ? types.at(root) : DRIVE_NO_ROOT_DIR;
    }
    HANDLE createFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                       DWORD disposition, DWORD flags, HANDLE) override {
        const std::string name = path;
        const bool volume = name.size() == 6;  // "\\?\E:"
        wrongCalls += access != (volume ? GENERIC_READ | GENERIC_WRITE : 0u) ||
                      share != (FILE_SHARE_READ | FILE_SHARE_WRITE) ||
                      disposition != OPEN_EXISTING || flags != 0;
        volumesOpened += volume ? name.substr(4, 1) : "";
        const std::map<std::string, std::pair<std::string, DWORD>> devices{
            {"\\\\?\\C:", {"C:", 0}},
            {"\\\\?\\E:", {"E:", 2}},
            {Disks[0].path, {"SATA disk", 0}},
            {Disks[1].path, {"logger disk", 2}}};
        if (!devices.count(name) || spoilt(devices.at(name).first + " cannot be opened")) {
            return INVALID_HANDLE_VALUE;
        }
        const auto& [device, number] = devices.at(name);
        const auto handle = HANDLE(std::uintptr_t(0x1000 + next_++));
        openHandles[handle] =
            spoilt(device + " has no number") ? std::nullopt : std::optional(number);
        return handle;
    }
    BOOL deviceIoControl(HANDLE device, DWORD code, LPVOID, DWORD, LPVOID out, DWORD outSize,
                         LPDWORD returned, LPOVERLAPPED) override {
        wrongCalls += code != 0x2D1080 || outSize != 12;
        if (!openHandles.count(device) || !openHandles[device]) {
            return FALSE;
        }
        const DWORD record[3] = {FILE_DEVICE_DISK, *openHandles[device], 0xFFFFFFFF};
        std::memcpy(out, record, sizeof record);
        *returned = sizeof record;
        return TRUE;
    }
    BOOL closeHandle(HANDLE handle) override {
        badCloses += openHandles.erase(handle) == 0;
        return TRUE;
    }
    HDEVINFO setupDiGetClassDevsA(const GUID* interfaceClass, PCSTR, HWND, DWORD flags) override {
        wrongCalls += !IsEqualGUID(*interfaceClass, DiskInterfaceClass) || flags != 0x12;
        setsOpened += !spoilt("no interface set");
        return spoilt("no interface set") ? INVALID_HANDLE_VALUE : Set;
    }
    BOOL setupDiEnumDeviceInterfaces(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD index,
                                     PSP_DEVICE_INTERFACE_DATA data) override {
        data->Reserved = index;
        return index < 2;
    }
    BOOL setupDiGetDeviceInterfaceDetailA(HDEVINFO, PSP_DEVICE_INTERFACE_DATA data,
                                          PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                          DWORD detailSize, PDWORD requiredSize,
                                          PSP_DEVINFO_DATA device) override {
        const Disk& disk = Disks[data->Reserved];
        const DWORD needed = DWORD(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) +
                                   std::strlen(disk.path) + 1);
        if (!detail) {  // the size query
            *requiredSize = needed;
            lastError_ = spoilt(disk.name + " size query fails"s) ? ERROR_INVALID_PARAMETER
                                                                  : ERROR_INSUFFICIENT_BUFFER;
            return FALSE;
        }
        wrongCalls += detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) ||
                      detailSize != needed + 1 || device->cbSize != sizeof(SP_DEVINFO_DATA);
        std::strcpy(detail->DevicePath, disk.path);
        device->DevInst = 1 + DEVINST(data->Reserved);
        return !spoilt(disk.name + " detail fails"s);
    }
    BOOL setupDiDestroyDeviceInfoList(HDEVINFO set) override {
        setsDestroyed += set == Set;
        return TRUE;
    }
    CONFIGRET cmGetParent(PDEVINST parent, DEVINST device, ULONG) override {
        *parent = device + 1000;
        return CR_SUCCESS;
    }
    // Like the system: the whole id, terminated only when there is room.
    CONFIGRET cmGetDeviceIdA(DEVINST parent, PCHAR buffer, ULONG length, ULONG) override {
        const Disk& disk = Disks[parent - 1001];
        wrongCalls += length != 520;
        const std::string id =
            spoilt(disk.name + " parent fills the buffer"s) ? std::string(520, 'X') : disk.parentId;
        std::memcpy(buffer, id.data(), std::min<std::size_t>(id.size() + 1, length));
        return spoilt(disk.name + " parent unknown"s) ? CR_NO_SUCH_VALUE : CR_SUCCESS;
    }
    DWORD getLastError() override { return lastError_; }

  private:
    struct Disk {
        const char *name, *path;
        std::string parentId;
    };
    inline static const Disk Disks[] = {
        {"SATA disk", "\\\\?\\scsi#disk&ven_ata#1#{53f56307}", "SCSI\\DISK&VEN_ATA\\4&1"},
        {"logger disk", "\\\\?\\usbstor#disk&ven_lg#sn1#{53f56307}",
         "usb\\vid_2017&pid_0901\\SN0001"}};
    inline static const HDEVINFO Set = HDEVINFO(0x5E7);
    bool spoilt(const std::string& what) const { return faults.count(what) != 0; }
    DWORD lastError_ = 0;
    int next_ = 0;
};

// Each fault (with whether the logger is still found) leaves out what it concerns, never stops
// the rest, and leaks nothing; only the volumes of disk drives are opened, in order.
TEST(WindowsLocatorPlatform, FindsTheLoggerDespiteOtherFaultsAndReleasesEverything) {
    const std::pair<const char*, bool> cases[] = {
        {"none", true},
        {"C: has no number", true},
        {"E: cannot be opened", false},
        {"no interface set", false},
        {"SATA disk size query fails", true},
        {"logger disk detail fails", false},
        {"SATA disk parent fills the buffer", true},
        {"logger disk parent unknown", false},
        {"logger disk has no number", false},
        {"no drive strings", false},
        {"drive strings too long", false},
    };
    for (const auto& [fault, loggerFound] : cases) {
        SCOPED_TRACE(fault);
        FakeCalls calls;
        calls.faults = {fault};
        WindowsLocatorPlatform platform(calls);
        std::ostringstream console;
        EXPECT_EQ(DeviceLocator(platform, console).collectMatchEntries(),
                  loggerFound ? Logger : Found{});
        const bool noRoots = std::string(fault).find("drive strings") != std::string::npos;
        EXPECT_EQ(calls.volumesOpened, noRoots ? "" : "CE");
        EXPECT_EQ(platform.rootOf('E').has_value(), !noRoots);
        EXPECT_TRUE(calls.openHandles.empty());
        EXPECT_EQ(calls.badCloses + calls.wrongCalls, 0);
        EXPECT_EQ(calls.setsDestroyed, calls.setsOpened);
    }
}

// While the window passes on its news of devices, a tick without news and with the same drive
// letters searches nothing; news, other letters, a volume that could not be opened last time, or
// no more news, and the tick searches.
TEST(WindowsLocatorPlatform, SearchesOnlyWhenSomethingMayHaveChanged) {
    const struct {
        const char* fault;
        bool watched, news, searched, loggerFound;
    } steps[] = {
        {"", true, false, true, true},   // the first search
        {"", true, false, false, true},  // nothing changed
        {"", true, true, true, true},
        {"E: gone", true, false, true, false},
        {"C: cannot be opened", true, false, true, true},
        {"", true, false, true, true},
        {"", true, false, false, true},
        {"", false, false, true, true},
    };
    FakeCalls calls;
    WindowsLocatorPlatform platform(calls);
    std::ostringstream console;
    DeviceLocator located(platform, console);
    for (const auto& step : steps) {
        SCOPED_TRACE(step.fault);
        calls.faults = {step.fault};
        located.watchDeviceChanges(step.watched);
        if (step.news) {
            located.deviceChanged();
        }
        const int setsBefore = calls.setsOpened;
        EXPECT_EQ(located.collectMatchEntries(), step.loggerFound ? Logger : Found{});
        EXPECT_EQ(calls.setsOpened - setsBefore, step.searched ? 1 : 0);
    }
}

}  // namespace
}  // namespace veltra
