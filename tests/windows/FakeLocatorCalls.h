#pragma once

#include <cstring>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/windows/LocatorCalls.h"
#include "platform/windows/WindowsLocatorPlatform.h"

namespace veltra::test {

// Stands in for the kernel, the Setup API and the configuration manager: drives, volumes and
// disk interfaces as a test describes them. Counts what is opened and released, and each call
// made with other than the documented arguments.
class FakeLocatorCalls : public LocatorCalls {
  public:
    struct Interface {  // its device instance is 100 + its index, its parent's 1100 + it
        std::string devicePath;
        std::optional<std::string> parentId;  // nothing: the parent's id cannot be read
        std::optional<DWORD> number;          // nothing: the device-number query fails
        bool opens = true;
        int failingDetailCall = 0;  // 1: the size query, 2: the detail itself
    };

    std::string driveStrings;  // "C:\\\0E:\\\0" as GetLogicalDriveStringsA writes them
    std::optional<DWORD> driveStringsResult;       // a result other than the text's length
    std::map<std::string, UINT> driveTypes;        // by root; DRIVE_NO_ROOT_DIR otherwise
    std::map<char, std::optional<DWORD>> volumes;  // by letter, with the device number
    std::vector<Interface> interfaces;
    bool setOpens = true;

    std::map<HANDLE, std::optional<DWORD>> openHandles;  // with the device's number
    int badCloses = 0, setsOpened = 0, setsDestroyed = 0, wrongCalls = 0;
    std::string volumesOpened;

    DWORD getLogicalDrives() override {
        DWORD mask = 0;
        std::istringstream roots(driveStrings);
        for (std::string root; std::getline(roots, root, '\0');) {
            const int letter = (root[0] & ~0x20) - 'A';  // either case
            mask |= letter >= 0 && letter < 26 ? 1u << letter : 0;
        }
        return mask;
    }
    DWORD getLogicalDriveStringsA(DWORD length, LPSTR buffer) override {
        if (driveStrings.size() + 1 <= length) {
            std::memcpy(buffer, driveStrings.c_str(), driveStrings.size() + 1);
        }
        return driveStringsResult.value_or(static_cast<DWORD>(driveStrings.size()));
    }
    UINT getDriveTypeA(LPCSTR root) override {
        const auto found = driveTypes.find(root);
        return found == driveTypes.end() ? DRIVE_NO_ROOT_DIR : found->second;
    }
    HANDLE createFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                       DWORD disposition, DWORD flags, HANDLE) override {
        const std::string name = path;
        const bool volume = name.size() == 6;  // "\\?\E:"
        wrongCalls += access != (volume ? GENERIC_READ | GENERIC_WRITE : 0u) ||
                      share != (FILE_SHARE_READ | FILE_SHARE_WRITE) ||
                      disposition != OPEN_EXISTING || flags != 0;
        if (volume) {
            volumesOpened += name[4];
            if (volumes.count(name[4])) {
                return issue(volumes[name[4]]);
            }
        }
        for (const Interface& disk : interfaces) {
            if (disk.devicePath == name && disk.opens) {
                return issue(disk.number);
            }
        }
        return INVALID_HANDLE_VALUE;
    }
    BOOL deviceIoControl(HANDLE device, DWORD code, LPVOID, DWORD, LPVOID out, DWORD outSize,
                         LPDWORD returned, LPOVERLAPPED) override {
        wrongCalls += code != 0x2D1080 || outSize != 12;
        const auto open = openHandles.find(device);
        if (open == openHandles.end() || !open->second) {
            return FALSE;
        }
        const DWORD record[3] = {FILE_DEVICE_DISK, *open->second, 0xFFFFFFFF};
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
        setsOpened += setOpens;
        return setOpens ? Set : INVALID_HANDLE_VALUE;
    }
    BOOL setupDiEnumDeviceInterfaces(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD index,
                                     PSP_DEVICE_INTERFACE_DATA data) override {
        wrongCalls += data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA);
        data->Reserved = index;
        return index < interfaces.size();
    }
    BOOL setupDiGetDeviceInterfaceDetailA(HDEVINFO, PSP_DEVICE_INTERFACE_DATA data,
                                          PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                          DWORD detailSize, PDWORD requiredSize,
                                          PSP_DEVINFO_DATA device) override {
        const Interface& disk = interfaces[data->Reserved];
        const DWORD needed = static_cast<DWORD>(
            offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + disk.devicePath.size() + 1);
        if (!detail) {
            *requiredSize = needed;
            lastError_ =
                disk.failingDetailCall == 1 ? ERROR_INVALID_PARAMETER : ERROR_INSUFFICIENT_BUFFER;
            return FALSE;
        }
        // The size that the first call asked for, and one byte more.
        wrongCalls += detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) ||
                      detailSize != needed + 1 || device->cbSize != sizeof(SP_DEVINFO_DATA);
        if (disk.failingDetailCall == 2) {
            return FALSE;
        }
        std::memcpy(detail->DevicePath, disk.devicePath.c_str(), disk.devicePath.size() + 1);
        device->DevInst = 100 + static_cast<DEVINST>(data->Reserved);
        return TRUE;
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
    CONFIGRET cmGetDeviceIdA(DEVINST device, PCHAR buffer, ULONG length, ULONG) override {
        wrongCalls += length != 520;
        const auto& id = interfaces[device - 1100].parentId;
        if (!id || id->size() > length) {
            return CR_NO_SUCH_VALUE;
        }
        std::memcpy(buffer, id->data(), id->size());
        if (id->size() < length) {
            buffer[id->size()] = '\0';
        }
        return CR_SUCCESS;
    }
    DWORD getLastError() override { return lastError_; }

    inline static const HDEVINFO Set = reinterpret_cast<HDEVINFO>(0x5E7);

  private:
    HANDLE issue(std::optional<DWORD> number) {
        const auto handle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x1000 + next_++));
        openHandles[handle] = number;
        return handle;
    }
    DWORD lastError_ = 0;
    int next_ = 0;
};

}  // namespace veltra::test
