// Looks at the running Veltra.exe from outside, as a user would, under the same Wine:
//   WindowProbe report    waits for the main window and its first clock text, then prints
//                         what it shows, one "name=value" line each
//   WindowProbe about     opens the About box from the system menu, prints its texts and
//                         closes it again
//   WindowProbe close     closes the window (as the close box does) and waits until it is gone
// Exits 1 when the window does not appear (or does not go) within 60 seconds.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const wchar_t* const Title = L"Temp. & Humidity Datalogger Configration Tool V2.402";

std::string utf8(const std::wstring& wide) {
    if (wide.empty()) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

// WM_GETTEXT itself: GetWindowText does not ask controls of another process for their text.
std::wstring textOf(HWND window) {
    wchar_t buffer[512] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer),
                          SMTO_ABORTIFHUNG, 5000, &copied);
    return buffer;
}

HWND waitForWindow() {
    for (int i = 0; i < 240; ++i) {
        if (const HWND window = ::FindWindowW(nullptr, Title)) {
            return window;
        }
        ::Sleep(250);
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "report";
    const HWND window = waitForWindow();
    if (!window) {
        std::printf("window=missing\n");
        return 1;
    }
    if (what == "about") {
        ::PostMessageW(window, WM_SYSCOMMAND, 0x0010, 0);
        HWND about = nullptr;
        for (int i = 0; i < 240 && !about; ++i) {
            about = ::FindWindowW(nullptr, L"About Quillon");
            ::Sleep(250);
        }
        if (!about) {
            std::printf("about=missing\n");
            return 1;
        }
        std::printf("about=found\n");
        int line = 0;
        for (HWND child = ::GetWindow(about, GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            std::printf("about_text%d=%s\n", ++line, utf8(textOf(child)).c_str());
        }
        ::PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        for (int i = 0; i < 240 && ::IsWindow(about); ++i) {
            ::Sleep(250);
        }
        std::printf("about_closed=%d\n", ::IsWindow(about) ? 0 : 1);
        return ::IsWindow(about) ? 1 : 0;
    }
    if (what == "close") {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        for (int i = 0; i < 240 && ::IsWindow(window); ++i) {
            ::Sleep(250);
        }
        std::printf("closed=%d\n", ::IsWindow(window) ? 0 : 1);
        return ::IsWindow(window) ? 1 : 0;
    }
    // The poll cycle writes the time on its third tick: the sign that timer 1 drives it.
    const HWND time = ::GetDlgItem(window, 1052);
    for (int i = 0; i < 240 && textOf(time).size() < 8; ++i) {
        ::Sleep(250);
    }
    ::Sleep(500);  // one more paint of everything
    const HWND button = ::GetDlgItem(window, 1001);
    RECT frame{};
    ::GetWindowRect(window, &frame);
    std::printf("window=found\n");
    std::printf("title=%s\n", utf8(textOf(window)).c_str());
    std::printf("button=%s\n", utf8(textOf(button)).c_str());
    std::printf("button_enabled=%d\n", ::IsWindowEnabled(button) ? 1 : 0);
    std::printf("date=%s\n", utf8(textOf(::GetDlgItem(window, 1051))).c_str());
    std::printf("time=%s\n", utf8(textOf(time)).c_str());
    std::printf("time_zone=%s\n", utf8(textOf(::GetDlgItem(window, 1043))).c_str());
    std::printf("delay=%s\n", utf8(textOf(::GetDlgItem(window, 1010))).c_str());
    std::printf("frame=%ldx%ld+%ld+%ld\n", frame.right - frame.left, frame.bottom - frame.top,
                frame.left, frame.top);
    return 0;
}
