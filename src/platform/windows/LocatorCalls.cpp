#include "platform/windows/LocatorCalls.h"

namespace veltra {

namespace {

class SystemLocatorCalls : public LocatorCalls {
  public:
    DWORD getLogicalDrives() override { return ::GetLogicalDrives(); }
    DWORD getLogicalDriveStringsA(DWORD length, LPSTR buffer) override {
        return ::GetLogicalDriveStringsA(length, buffer);
    }
    UINT getDriveTypeA(LPCSTR root) override { return ::GetDriveTypeA(root); }
    HANDLE createFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                       DWORD disposition, DWORD flags, HANDLE templateFile) override {
        return ::CreateFileA(path, access, share, security, disposition, flags, templateFile);
    }
    BOOL deviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                         DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped) override {
        return ::DeviceIoControl(device, code, in, inSize, out, outSize, returned, overlapped);
    }
    BOOL closeHandle(HANDLE handle) override { return ::CloseHandle(handle); }

    HDEVINFO setupDiGetClassDevsA(const GUID* interfaceClass, PCSTR enumerator, HWND parent,
                                  DWORD flags) override {
        return ::SetupDiGetClassDevsA(interfaceClass, enumerator, parent, flags);
    }
    BOOL setupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device,
                                     const GUID* interfaceClass, DWORD index,
                                     PSP_DEVICE_INTERFACE_DATA data) override {
        return ::SetupDiEnumDeviceInterfaces(set, device, interfaceClass, index, data);
    }
    BOOL setupDiGetDeviceInterfaceDetailA(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                          PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                          DWORD detailSize, PDWORD requiredSize,
                                          PSP_DEVINFO_DATA device) override {
        return ::SetupDiGetDeviceInterfaceDetailA(set, data, detail, detailSize, requiredSize,
                                                  device);
    }
    BOOL setupDiDestroyDeviceInfoList(HDEVINFO set) override {
        return ::SetupDiDestroyDeviceInfoList(set);
    }

    CONFIGRET cmGetParent(PDEVINST parent, DEVINST device, ULONG flags) override {
        return ::CM_Get_Parent(parent, device, flags);
    }
    CONFIGRET cmGetDeviceIdA(DEVINST device, PCHAR buffer, ULONG length, ULONG flags) override {
        return ::CM_Get_Device_IDA(device, buffer, length, flags);
    }

    DWORD getLastError() override { return ::GetLastError(); }
};

}  // namespace

LocatorCalls& realLocatorCalls() {
    static SystemLocatorCalls calls;
    return calls;
}

}  // namespace veltra
