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
// disk interfaces as a test describes them. Hands out distinct fake handles, keeps count of
// what is opened and released, and notes every call made with other than the documented
// arguments.
class FakeLocatorCalls : public LocatorCalls {
  public:
    struct Interface {  // its device instance is 100 + its index, its parent's 1100 + it
        std::string devicePath;
        std::optional<std::string> parentId;  // nothing: the parent's id cannot be read
        std::optional<DWORD> number;          // nothing: the device-number query fails
        bool opens = true;
        bool sizeQueryFails = false;  // the first detail call does not report a size
        bool detailFails = false;     // the second detail call fails
    };

    // What the calls see.
    std::string driveStrings;  // "C:\\\0E:\\\0" as GetLogicalDriveStringsA writes them
    std::optional<DWORD> driveStringsResult;       // a result other than the text's length
    std::map<std::string, UINT> driveTypes;        // by root; DRIVE_NO_ROOT_DIR otherwise
    std::map<char, std::optional<DWORD>> volumes;  // by letter, with the device number
    std::vector<Interface> interfaces;
    bool setOpens = true;

    // What the calls did: the handles still open, the bad closes (a handle closed twice or never
    // opened), the interface sets opened and destroyed, the volumes opened in turn, and each
    // call whose arguments were not the documented ones.
    std::map<HANDLE, std::optional<DWORD>> openHandles;  // with the device's number
    int badCloses = 0, setsOpened = 0, setsDestroyed = 0;
    std::string volumesOpened;
    std::vector<std::string> wrongCalls;

    DWORD getLogicalDrives() override {
        DWORD mask = 0;  // a bit for the letter of each root
        std::istringstream roots(driveStrings);
        for (std::string root; std::getline(roots, root, '\0');) {
            if (!root.empty() && root[0] >= 'A' && root[0] <= 'Z') {
                mask |= 1u << (root[0] - 'A');
            }
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
        const bool volume = name.size() == 6 && name.rfind("\\\\?\\", 0) == 0;
        check(access == (volume ? GENERIC_READ | GENERIC_WRITE : 0u) &&
                  share == (FILE_SHARE_READ | FILE_SHARE_WRITE) && disposition == OPEN_EXISTING &&
                  flags == 0,
              "CreateFileA " + name);
        if (volume) {
            volumesOpened += name[4];
            const auto found = volumes.find(name[4]);
            if (found != volumes.end()) {
                return issue(found->second);
            }
        }
        for (const Interface& disk : interfaces) {
            if (disk.devicePath == name && disk.opens) {
                return issue(disk.number);
            }
        }
        lastError_ = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }

    BOOL deviceIoControl(HANDLE device, DWORD code, LPVOID, DWORD, LPVOID out, DWORD outSize,
                         LPDWORD returned, LPOVERLAPPED) override {
        check(code == 0x2D1080 && outSize == 12, "DeviceIoControl");
        const auto open = openHandles.find(device);
        if (open == openHandles.end() || !open->second || outSize < 12) {
            return FALSE;
        }
        const DWORD record[3] = {FILE_DEVICE_DISK, *open->second, 0xFFFFFFFF};
        std::memcpy(out, record, sizeof record);
        *returned = sizeof record;
        return TRUE;
    }

    BOOL closeHandle(HANDLE handle) override {
        const bool known = openHandles.erase(handle) != 0;
        badCloses += !known;
        return known;
    }

    HDEVINFO setupDiGetClassDevsA(const GUID* interfaceClass, PCSTR, HWND, DWORD flags) override {
        check(IsEqualGUID(*interfaceClass, DiskInterfaceClass) && flags == 0x12,
              "SetupDiGetClassDevsA");
        setsOpened += setOpens;
        return setOpens ? Set : INVALID_HANDLE_VALUE;
    }

    BOOL setupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA, const GUID*, DWORD index,
                                     PSP_DEVICE_INTERFACE_DATA data) override {
        check(data->cbSize == sizeof(SP_DEVICE_INTERFACE_DATA), "SetupDiEnumDeviceInterfaces");
        data->Reserved = index;
        lastError_ = ERROR_NO_MORE_ITEMS;
        return set == Set && index < interfaces.size();
    }

    BOOL setupDiGetDeviceInterfaceDetailA(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                          PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                          DWORD detailSize, PDWORD requiredSize,
                                          PSP_DEVINFO_DATA device) override {
        lastError_ = ERROR_INVALID_PARAMETER;
        if (set != Set || data->Reserved >= interfaces.size()) {
            return FALSE;
        }
        const Interface& disk = interfaces[data->Reserved];
        const DWORD needed = static_cast<DWORD>(
            offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + disk.devicePath.size() + 1);
        if (!detail) {
            if (requiredSize) {
                *requiredSize = needed;
            }
            lastError_ = disk.sizeQueryFails ? ERROR_INVALID_PARAMETER : ERROR_INSUFFICIENT_BUFFER;
            return FALSE;
        }
        // The size that the first call asked for, and one byte more.
        check(detail->cbSize == sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) &&
                  detailSize == needed + 1 && device && device->cbSize == sizeof(SP_DEVINFO_DATA),
              "SetupDiGetDeviceInterfaceDetailA");
        if (disk.detailFails || detailSize < needed || !device) {
            lastError_ = ERROR_INVALID_USER_BUFFER;
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

    CONFIGRET cmGetDeviceIdA(DEVINST device, PCHAR buffer, ULONG length, ULONG) override {
        check(length == 520, "CM_Get_Device_IDA");
        const std::size_t index = device - 1100;
        if (index >= interfaces.size() || !interfaces[index].parentId) {
            return CR_NO_SUCH_VALUE;
        }
        // Like the system: the whole id, terminated only when there is room.
        const std::string& id = *interfaces[index].parentId;
        if (id.size() > length) {
            return CR_BUFFER_SMALL;
        }
        std::memcpy(buffer, id.data(), id.size());
        if (id.size() < length) {
            buffer[id.size()] = '\0';
        }
        return CR_SUCCESS;
    }
    DWORD getLastError() override { return lastError_; }

    // The fake interface set.
    inline static const HDEVINFO Set = reinterpret_cast<HDEVINFO>(0x5E7);

  private:
    void check(bool documented, const std::string& call) {
        if (!documented) {
            wrongCalls.push_back(call);
        }
    }
    HANDLE issue(std::optional<DWORD> number) {
        const auto handle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x1000 + next_++));
        openHandles[handle] = number;
        return handle;
    }
    DWORD lastError_ = 0;
    int next_ = 0;
};

}  // namespace veltra::test
