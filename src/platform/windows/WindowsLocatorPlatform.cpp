#include "platform/windows/WindowsLocatorPlatform.h"

#include <winioctl.h>

#include <cstring>
#include <new>

namespace veltra {

namespace {

bool isValid(HANDLE handle) {
    return handle != INVALID_HANDLE_VALUE && handle != nullptr;
}

// An open volume or disk interface; closes its handle when dropped.
class WindowsDeviceHandle : public DeviceHandle {
  public:
    WindowsDeviceHandle(LocatorCalls& calls, HANDLE handle) : calls_(calls), handle_(handle) {}
    WindowsDeviceHandle(const WindowsDeviceHandle&) = delete;
    WindowsDeviceHandle& operator=(const WindowsDeviceHandle&) = delete;
    ~WindowsDeviceHandle() override { calls_.closeHandle(handle_); }

    std::optional<std::uint32_t> deviceNumber() override {
        STORAGE_DEVICE_NUMBER number{};
        DWORD returned = 0;
        if (!calls_.deviceIoControl(handle_, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number,
                                    sizeof number, &returned, nullptr) ||
            returned < sizeof number) {
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(number.DeviceNumber);
    }

  private:
    LocatorCalls& calls_;
    HANDLE handle_;
};

// The set of present disk interfaces; destroyed when dropped.
class WindowsDiskInterfaceSet : public DiskInterfaceSet {
  public:
    WindowsDiskInterfaceSet(LocatorCalls& calls, HDEVINFO set) : calls_(calls), set_(set) {}
    WindowsDiskInterfaceSet(const WindowsDiskInterfaceSet&) = delete;
    WindowsDiskInterfaceSet& operator=(const WindowsDiskInterfaceSet&) = delete;
    ~WindowsDiskInterfaceSet() override { calls_.setupDiDestroyDeviceInfoList(set_); }

    InterfaceLookup interfaceAt(std::uint32_t index, DiskInterface& disk) override {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!calls_.setupDiEnumDeviceInterfaces(set_, nullptr, &DiskInterfaceClass, index, &data)) {
            return InterfaceLookup::NoMore;
        }
        // First the size that the detail needs: the call must fail for want of room.
        DWORD required = 0;
        if (calls_.setupDiGetDeviceInterfaceDetailA(set_, &data, nullptr, 0, &required, nullptr) ||
            calls_.getLastError() != ERROR_INSUFFICIENT_BUFFER ||
            required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) || required > 65536) {
            return InterfaceLookup::DetailFailed;
        }
        // One byte more than asked for, zeroed, so the path always ends inside the buffer.
        const std::size_t size = std::size_t{required} + 1;
        std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[size]());
        if (!buffer) {
            return InterfaceLookup::DetailFailed;
        }
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.get());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!calls_.setupDiGetDeviceInterfaceDetailA(set_, &data, detail, static_cast<DWORD>(size),
                                                     nullptr, &device)) {
            return InterfaceLookup::DetailFailed;
        }
        const std::size_t pathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
        const char* path = detail->DevicePath;
        disk.devicePath.assign(path, ::strnlen(path, size - pathOffset));
        disk.deviceInstance = device.DevInst;
        return InterfaceLookup::Found;
    }

    std::optional<std::string> parentDeviceId(const DiskInterface& disk) override {
        DEVINST parent = 0;
        if (calls_.cmGetParent(&parent, static_cast<DEVINST>(disk.deviceInstance), 0) !=
            CR_SUCCESS) {
            return std::nullopt;
        }
        char id[DeviceIdLength] = {};
        if (calls_.cmGetDeviceIdA(parent, id, DeviceIdLength, 0) != CR_SUCCESS) {
            return std::nullopt;
        }
        return std::string(id, ::strnlen(id, DeviceIdLength));
    }

  private:
    LocatorCalls& calls_;
    HDEVINFO set_;
};

DriveType driveTypeOf(UINT type) {
    switch (type) {
        case DRIVE_REMOVABLE:
            return DriveType::Removable;
        case DRIVE_FIXED:
            return DriveType::Fixed;
        default:
            return DriveType::Other;
    }
}

bool isLetter(char c) {
    return c >= 'A' && c <= 'Z';
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

bool WindowsLocatorPlatform::unchangedSinceLastSearch() {
    // Without the window's news the same letters prove nothing: a disk may have come or gone
    // behind one of them. A volume that could not be opened may be one still arriving.
    if (!watched_ || !searched_ || heard_ || incomplete_ || letterMask_ == 0) {
        return false;
    }
    return calls_.getLogicalDrives() == letterMask_;
}

std::vector<DriveRoot> WindowsLocatorPlatform::listDriveRoots() {
    searched_ = true;
    heard_ = false;
    incomplete_ = false;
    letterMask_ = calls_.getLogicalDrives();
    present_.fill(false);
    notes_.clear();
    char buffer[DriveStringsLength + 1] = {};
    const DWORD length = calls_.getLogicalDriveStringsA(DriveStringsLength, buffer);
    if (length == 0 || length > DriveStringsLength) {
        // 0 is a failure; more than the buffer is the size it would need, with nothing written.
        notes_.push_back("drive roots could not be listed");
        incomplete_ = true;
        return {};
    }
    std::vector<DriveRoot> roots;
    // Roots follow each other, each ended by a zero byte.
    std::size_t at = 0;
    while (at < length) {
        const std::size_t rootLength = ::strnlen(buffer + at, length - at);
        const std::string root(buffer + at, rootLength);
        at += rootLength + 1;
        const char letter = root.empty() ? 0 : upper(root[0]);
        if (root.size() != 3 || !isLetter(letter) || root[1] != ':' || root[2] != '\\') {
            if (!root.empty()) {
                notes_.push_back("root " + root + " skipped: not a drive letter");
            }
            continue;
        }
        present_[static_cast<std::size_t>(letter - 'A')] = true;
        roots.push_back({letter, driveTypeOf(calls_.getDriveTypeA(root.c_str()))});
    }
    return roots;
}

std::unique_ptr<DeviceHandle> WindowsLocatorPlatform::openVolume(char letter) {
    const char path[] = {'\\', '\\', '?', '\\', letter, ':', '\0'};
    const HANDLE volume =
        calls_.createFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (!isValid(volume)) {
        incomplete_ = true;
        const DWORD error = calls_.getLastError();
        notes_.push_back(std::string("volume ") + letter + ": could not be opened (error " +
                         std::to_string(error) + ")" +
                         (error == ERROR_ACCESS_DENIED
                              ? ": finding the logger needs administrator rights"
                              : ""));
        return nullptr;
    }
    return std::make_unique<WindowsDeviceHandle>(calls_, volume);
}

std::unique_ptr<DiskInterfaceSet> WindowsLocatorPlatform::openDiskInterfaceSet() {
    const HDEVINFO set = calls_.setupDiGetClassDevsA(&DiskInterfaceClass, nullptr, nullptr,
                                                     DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (!isValid(set)) {
        incomplete_ = true;
        notes_.push_back("the disk interface set could not be opened");
        return nullptr;
    }
    return std::make_unique<WindowsDiskInterfaceSet>(calls_, set);
}

std::unique_ptr<DeviceHandle> WindowsLocatorPlatform::openDiskInterface(const DiskInterface& disk) {
    const HANDLE device =
        calls_.createFileA(disk.devicePath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (!isValid(device)) {
        return nullptr;
    }
    return std::make_unique<WindowsDeviceHandle>(calls_, device);
}

std::optional<std::filesystem::path> WindowsLocatorPlatform::rootOf(char letter) const {
    letter = upper(letter);
    if (!isLetter(letter) || !present_[static_cast<std::size_t>(letter - 'A')]) {
        return std::nullopt;
    }
    return std::filesystem::path(std::string{letter, ':', '\\'});
}

}  // namespace veltra
