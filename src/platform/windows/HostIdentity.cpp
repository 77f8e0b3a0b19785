#include "platform/HostIdentity.h"

#include <windows.h>

namespace veltra {

namespace {

std::string utf8(const wchar_t* text, DWORD length) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), size, nullptr,
                            nullptr);
    }
    return out.empty() ? "?" : out;
}

}  // namespace

HostIdentity hostIdentity() {
    HostIdentity identity{"?", "?"};
    wchar_t host[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD hostLength = MAX_COMPUTERNAME_LENGTH + 1;
    if (GetComputerNameW(host, &hostLength)) {
        identity.host = utf8(host, hostLength);
    }
    // A user name has at most 256 characters (UNLEN), and the call counts the NUL.
    wchar_t user[257];
    DWORD userLength = 257;
    if (GetUserNameW(user, &userLength) && userLength > 1) {
        identity.user = utf8(user, userLength - 1);
    }
    return identity;
}

}  // namespace veltra
