// Looks at the running Veltra.exe from outside, under the same Wine, and prints "name=value"
// lines: "report" what the window shows once its clock runs, "about" the About box's texts,
// "close" whether the window went when closed, "tab" where the next Tab puts the focus (the
// control and the point just left of it, on the ring; "enable-button" first, without a
// logger). Exits 1 when a window does not appear (or go) within 60 seconds.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

template <typename Done>
bool waitFor(Done done) {
    for (int i = 0; i < 240 && !done(); ++i) {
        ::Sleep(250);
    }
    return done();
}

// As UTF-8. WM_GETTEXT itself: GetWindowText does not ask controls of another process.
std::string textOf(HWND window) {
    wchar_t wide[512] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG,
                          5000, &copied);
    char text[2048] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

// Posts the message that closes `window`, waits until it is gone and prints NAME=1 if it is.
int closeAndWait(HWND window, UINT message, WPARAM wParam, const char* name) {
    ::PostMessageW(window, message, wParam, 0);
    const bool gone = waitFor([&] { return !::IsWindow(window); });
    std::printf("%s=%d\n", name, gone ? 1 : 0);
    return gone ? 0 : 1;
}

// Moves the focus on as Tab does and tells where it went, once it is painted.
int tabOnce(HWND window) {
    ::PostMessageW(window, WM_NEXTDLGCTL, 0, FALSE);
    ::Sleep(600);
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &thread);
    RECT box{};
    if (!thread.hwndFocus || !::GetWindowRect(thread.hwndFocus, &box)) {
        return 1;
    }
    std::printf("focus=%d\nring=%ld,%ld\n", short(::GetDlgCtrlID(thread.hwndFocus)), box.left - 1,
                (box.top + box.bottom) / 2);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "report";
    HWND window = nullptr;
    const wchar_t* const title = L"Temp. & Humidity Datalogger Configration Tool V2.402";
    if (!waitFor([&] { return (window = ::FindWindowW(nullptr, title)) != nullptr; })) {
        std::printf("window=missing\n");
        return 1;
    }
    if (what == "tab") {
        return tabOnce(window);
    }
    if (what == "enable-button") {
        // Without a logger the button is disabled, and the focus passes it by.
        ::EnableWindow(::GetDlgItem(window, 1001), TRUE);
        return 0;
    }
    if (what == "close") {
        return closeAndWait(window, WM_CLOSE, 0, "closed");
    }
    if (what == "about") {
        ::PostMessageW(window, WM_SYSCOMMAND, 0x0010, 0);
        HWND about = nullptr;
        // Only once shown: its title is there while its controls are still being made.
        if (!waitFor([&] {
                about = ::FindWindowW(nullptr, L"About Quillon");
                return about && ::IsWindowVisible(about);
            })) {
            std::printf("about=missing\n");
            return 1;
        }
        int line = 0;
        for (HWND child = ::GetWindow(about, GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            std::printf("about_text%d=%s\n", ++line, textOf(child).c_str());
        }
        return closeAndWait(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), "about_closed");
    }
    // The poll cycle writes the time on its third tick: the sign that timer 1 drives it.
    const HWND time = ::GetDlgItem(window, 1052), button = ::GetDlgItem(window, 1001);
    // Told as seen in the wait: on a busy Wine a second ask can time out and read empty.
    std::string shown;
    waitFor([&] { return (shown = textOf(time)).size() >= 8; });
    ::Sleep(500);  // one more paint of everything
    RECT frame{};
    ::GetWindowRect(window, &frame);
    std::printf("title=%s\nbutton=%s\nbutton_enabled=%d\ntime=%s\nframe=%ldx%ld+%ld+%ld\n",
                textOf(window).c_str(), textOf(button).c_str(), ::IsWindowEnabled(button) ? 1 : 0,
                shown.c_str(), frame.right - frame.left, frame.bottom - frame.top, frame.left,
                frame.top);
    return 0;
}
