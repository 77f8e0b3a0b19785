#pragma once

// clang-format off
#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>
// clang-format on

namespace veltra {

// The Windows calls that the locator makes, one method per call with the call's own
// arguments, so that tests can stand in for the kernel, the Setup API and the configuration
// manager. The real ones forward unchanged (realLocatorCalls()).
class LocatorCalls {
  public:
    virtual ~LocatorCalls() = default;

    virtual DWORD getLogicalDrives() = 0;
    virtual DWORD getLogicalDriveStringsA(DWORD length, LPSTR buffer) = 0;
    virtual UINT getDriveTypeA(LPCSTR root) = 0;
    virtual HANDLE createFileA(LPCSTR path, DWORD access, DWORD share,
                               LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                               HANDLE templateFile) = 0;
    virtual BOOL deviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                 DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped) = 0;
    virtual BOOL closeHandle(HANDLE handle) = 0;

    virtual HDEVINFO setupDiGetClassDevsA(const GUID* interfaceClass, PCSTR enumerator, HWND parent,
                                          DWORD flags) = 0;
    virtual BOOL setupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device,
                                             const GUID* interfaceClass, DWORD index,
                                             PSP_DEVICE_INTERFACE_DATA data) = 0;
    virtual BOOL setupDiGetDeviceInterfaceDetailA(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                                  PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                                  DWORD detailSize, PDWORD requiredSize,
                                                  PSP_DEVINFO_DATA device) = 0;
    virtual BOOL setupDiDestroyDeviceInfoList(HDEVINFO set) = 0;

    virtual CONFIGRET cmGetParent(PDEVINST parent, DEVINST device, ULONG flags) = 0;
    virtual CONFIGRET cmGetDeviceIdA(DEVINST device, PCHAR buffer, ULONG length, ULONG flags) = 0;

    virtual DWORD getLastError() = 0;
};

// The calls of the running system.
LocatorCalls& realLocatorCalls();

}  // namespace veltra
