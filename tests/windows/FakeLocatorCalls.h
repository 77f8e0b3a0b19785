#pragma once

#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/windows/LocatorCalls.h"

namespace veltra::test {

// Stands in for the kernel, the Setup API and the configuration manager: drives, volumes and
// disk interfaces as a test describes them. Hands out distinct fake handles and keeps count
// of what is opened and released, and of the arguments the calls came with.
class FakeLocatorCalls : public LocatorCalls {
  public:
    struct Volume {
        bool opens = true;
        std::optional<DWORD> number;  // nothing: the device-number query fails
    };
    struct Interface {
        std::string devicePath;
        DEVINST instance = 0;
        std::optional<std::string> parentId;  // nothing: the parent's id cannot be read
        std::optional<DWORD> number;
        bool opens = true;
        bool sizeQueryFails = false;  // the first detail call does not report a size
        bool detailFails = false;     // the second detail call fails
    };

    // What the calls see.
    std::string driveStrings;  // "C:\\\0E:\\\0" as GetLogicalDriveStringsA writes them
    std::optional<DWORD> driveStringsResult;  // a result other than the text's length
    std::map<std::string, UINT> driveTypes;   // by root; DRIVE_NO_ROOT_DIR otherwise
    std::map<char, Volume> volumes;
    std::vector<Interface> interfaces;
    bool setOpens = true;

    // What the calls were given.
    struct Open {
        std::string path;
        DWORD access, share, disposition, flags;
    };
    std::vector<Open> opens;
    std::set<HANDLE> openHandles;
    int badCloses = 0;  // handles closed twice or never opened
    int setsOpened = 0, setsDestroyed = 0;
    DWORD classDevsFlags = 0;
    GUID classDevsClass{};
    std::vector<DWORD> ioctlCodes, ioctlOutSizes, interfaceDataCbSizes;
    std::vector<DWORD> detailCbSizes, devInfoCbSizes, detailBufferSizes;
    std::vector<ULONG> deviceIdLengths;

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
        opens.push_back({path, access, share, disposition, flags});
        const std::string name = path;
        if (name.size() == 6 && name.rfind("\\\\?\\", 0) == 0) {
            const auto volume = volumes.find(name[4]);
            if (volume != volumes.end() && volume->second.opens) {
                return issue(volume->second.number);
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
        ioctlCodes.push_back(code);
        ioctlOutSizes.push_back(outSize);
        const auto number = numbers_.find(device);
        if (!openHandles.count(device) || number == numbers_.end() || !number->second ||
            outSize < 12) {
            return FALSE;
        }
        const DWORD record[3] = {FILE_DEVICE_DISK, *number->second, 0xFFFFFFFF};
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
        classDevsClass = *interfaceClass;
        classDevsFlags = flags;
        setsOpened += setOpens;
        return setOpens ? Set : INVALID_HANDLE_VALUE;
    }

    BOOL setupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA, const GUID*, DWORD index,
                                     PSP_DEVICE_INTERFACE_DATA data) override {
        interfaceDataCbSizes.push_back(data->cbSize);
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
        detailCbSizes.push_back(detail->cbSize);
        detailBufferSizes.push_back(detailSize);
        devInfoCbSizes.push_back(device ? device->cbSize : 0);
        if (disk.detailFails || detailSize < needed ||
            detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) ||
            (device && device->cbSize != sizeof(SP_DEVINFO_DATA))) {
            lastError_ = ERROR_INVALID_USER_BUFFER;
            return FALSE;
        }
        std::memcpy(detail->DevicePath, disk.devicePath.c_str(), disk.devicePath.size() + 1);
        if (device) {
            device->DevInst = disk.instance;
        }
        return TRUE;
    }

    BOOL setupDiDestroyDeviceInfoList(HDEVINFO set) override {
        setsDestroyed += set == Set;
        return TRUE;
    }

    // A device's parent is the device's own number + 1000.
    CONFIGRET cmGetParent(PDEVINST parent, DEVINST device, ULONG) override {
        *parent = device + 1000;
        return find(device) ? CR_SUCCESS : CR_NO_SUCH_DEVNODE;
    }

    CONFIGRET cmGetDeviceIdA(DEVINST device, PCHAR buffer, ULONG length, ULONG) override {
        deviceIdLengths.push_back(length);
        const Interface* disk = find(device - 1000);
        if (!disk || !disk->parentId) {
            return CR_NO_SUCH_VALUE;
        }
        // Like the system: the whole id, terminated only when there is room.
        const std::string& id = *disk->parentId;
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
    HANDLE issue(std::optional<DWORD> number) {
        const auto handle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x1000 + next_++));
        openHandles.insert(handle);
        numbers_[handle] = number;
        return handle;
    }
    const Interface* find(DEVINST instance) const {
        for (const Interface& disk : interfaces) {
            if (disk.instance == instance) {
                return &disk;
            }
        }
        return nullptr;
    }

    DWORD lastError_ = 0;
    int next_ = 0;
    std::map<HANDLE, std::optional<DWORD>> numbers_;
};

}  // namespace veltra::test
