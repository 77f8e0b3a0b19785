#include "win32/MainDialog.h"

#include <dbt.h>

#include <optional>

#include "ResourceIds.h"
#include "ui/DialogTemplate.h"

namespace veltra {

namespace {

constexpr int BackgroundWidth = 793;
constexpr int BackgroundHeight = 426;

// Whether a command code tells that a control took or lost the keyboard focus.
bool focusMoved(WORD code) {
    switch (code) {
        case EN_SETFOCUS:
        case EN_KILLFOCUS:
        case CBN_SETFOCUS:
        case CBN_KILLFOCUS:
        case BN_SETFOCUS:
        case BN_KILLFOCUS:
            return true;
        default:
            return false;
    }
}

// The ring's place around `control`, in the dialog's client coordinates.
RECT ringAround(HWND dialog, HWND control) {
    RECT box{};
    ::GetWindowRect(control, &box);
    ::MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&box), 2);
    // One dialog unit wide, so that it grows with the font and the screen's scale.
    RECT unit{0, 0, 1, 1};
    ::MapDialogRect(dialog, &unit);
    ::InflateRect(&box, unit.right, unit.right);
    return box;
}

// The notification that a control's command code reports, if it is one that can be watched.
std::optional<Notification> notificationOf(WORD code) {
    switch (code) {
        case EN_CHANGE:
            return Notification::TextChanged;
        case CBN_SELCHANGE:
            return Notification::SelectionChanged;
        case BN_CLICKED:
            return Notification::Clicked;
        default:
            return std::nullopt;
    }
}

// The combo boxes, filled in this order when the window opens.
constexpr ControlId lists[] = {ControlId::TemperatureUnit, ControlId::PdfLanguage,
                               ControlId::ChannelSelection, ControlId::DateFormat,
                               ControlId::TimeZone};

INT_PTR CALLBACK aboutProcedure(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(window, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

void showAboutBox(HINSTANCE resources, HWND owner) {
    ::DialogBoxParamW(resources, MAKEINTRESOURCEW(VELTRA_IDD_ABOUT), owner, aboutProcedure, 0);
}

MainDialog::MainDialog(HINSTANCE resources, Host& host, DriveFiles& drive, LoggerLocator& locator)
    : resources_(resources),
      locator_(locator),
      session_(controls_, host, drive, locator),
      icon_(static_cast<HICON>(::LoadImageW(resources, MAKEINTRESOURCEW(VELTRA_IDI_MAIN),
                                            IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                            ::GetSystemMetrics(SM_CYICON), 0))),
      smallIcon_(static_cast<HICON>(::LoadImageW(resources, MAKEINTRESOURCEW(VELTRA_IDI_MAIN),
                                                 IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), 0))) {}

MainDialog::~MainDialog() {
    if (icon_) {
        ::DestroyIcon(icon_);
    }
    if (smallIcon_) {
        ::DestroyIcon(smallIcon_);
    }
    if (background_) {
        ::DeleteObject(background_);
    }
}

INT_PTR MainDialog::run(HWND owner) {
    return ::DialogBoxParamW(resources_, MAKEINTRESOURCEW(VELTRA_IDD_MAIN), owner, procedure,
                             reinterpret_cast<LPARAM>(this));
}

HWND MainDialog::create(HWND owner) {
    return ::CreateDialogParamW(resources_, MAKEINTRESOURCEW(VELTRA_IDD_MAIN), owner, procedure,
                                reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK MainDialog::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<MainDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    return self ? self->handle(window, message, wParam, lParam) : FALSE;
}

INT_PTR MainDialog::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            initialise(window);
            return TRUE;  // the dialog manager sets the first focus
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == VELTRA_IDM_ABOUT) {
                showAboutBox(resources_, window);
                return TRUE;
            }
            return FALSE;
        case WM_PAINT:
            paint(window);
            return TRUE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(icon_);
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            return controlColour(window, message, wParam, lParam);
        case WM_TIMER:
            if (wParam == Win32Controls::PollTimer) {
                session_.tick();
                return TRUE;
            }
            return FALSE;
        case WM_COMMAND:
            return command(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        case WM_DEVICECHANGE:
            // A device came or went: the locator searches again on the next tick.
            if (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE ||
                wParam == DBT_DEVNODES_CHANGED) {
                locator_.deviceChanged();
            }
            return FALSE;  // the default answer stands (removals are never refused)
        case WM_DESTROY:
            ::KillTimer(window, Win32Controls::PollTimer);
            locator_.watchDeviceChanges(false);
            controls_.attach(nullptr);
            return FALSE;
        default:
            return FALSE;
    }
}

void MainDialog::initialise(HWND window) {
    controls_.attach(window);
    // The lists first, so that the initial values can select their entries.
    for (const ControlId id : lists) {
        for (const std::string_view entry : listEntries(id)) {
            controls_.addEntry(id, entry);
        }
    }
    // Windows tells every top-level window of devices that come and go.
    locator_.watchDeviceChanges(true);
    session_.open();

    if (const HMENU systemMenu = ::GetSystemMenu(window, FALSE)) {
        wchar_t entry[128] = {};
        if (::LoadStringW(resources_, VELTRA_IDS_ABOUT_ENTRY, entry, 128) > 0) {
            ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(systemMenu, MF_STRING, VELTRA_IDM_ABOUT, entry);
        }
    }
    ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageW(window, WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(smallIcon_ ? smallIcon_ : icon_));
    background_ = static_cast<HBITMAP>(
        ::LoadImageW(resources_, MAKEINTRESOURCEW(VELTRA_IDB_BACKGROUND), IMAGE_BITMAP, 0, 0, 0));
}

void MainDialog::paint(HWND window) {
    PAINTSTRUCT paintInfo{};
    const HDC dc = ::BeginPaint(window, &paintInfo);
    RECT client{};
    ::GetClientRect(window, &client);
    if (::IsIconic(window)) {
        ::SendMessageW(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        const int iconWidth = ::GetSystemMetrics(SM_CXICON);
        const int iconHeight = ::GetSystemMetrics(SM_CYICON);
        const int x = (client.right - client.left - iconWidth + 1) / 2;
        const int y = (client.bottom - client.top - iconHeight + 1) / 2;
        ::DrawIcon(dc, x, y, icon_);
    } else if (background_) {
        const HDC memory = ::CreateCompatibleDC(dc);
        const HGDIOBJ previous = ::SelectObject(memory, background_);
        ::StretchBlt(dc, 0, 0, client.right - client.left, client.bottom - client.top, memory, 0, 0,
                     BackgroundWidth, BackgroundHeight, SRCCOPY);
        ::SelectObject(memory, previous);
        ::DeleteDC(memory);
        paintFocusRing(window, dc);
    }
    ::EndPaint(window, &paintInfo);
}

void MainDialog::paintFocusRing(HWND window, HDC dc) {
    // The platform's focus marks (a caret, a dotted frame) hardly show over the background:
    // a black ring just outside the control, of every kind alike.
    const HWND focused = ::GetFocus();
    if (!focused || ::GetParent(focused) != window) {
        return;
    }
    const RECT outer = ringAround(window, focused);
    RECT inner{};
    ::GetWindowRect(focused, &inner);
    ::MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&inner), 2);
    const HRGN ring = ::CreateRectRgnIndirect(&outer);
    const HRGN hole = ::CreateRectRgnIndirect(&inner);
    ::CombineRgn(ring, ring, hole, RGN_DIFF);
    ::FillRgn(dc, ring, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::DeleteObject(hole);
    ::DeleteObject(ring);
}

bool MainDialog::command(WORD id, WORD code) {
    if (focusMoved(code)) {
        // The ring is drawn by the dialog, around the control: both places are painted again.
        if (const HWND control = ::GetDlgItem(controls_.dialog(), id)) {
            const RECT ring = ringAround(controls_.dialog(), control);
            ::RedrawWindow(controls_.dialog(), &ring, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        }
        return false;
    }
    if (id == IDOK || id == IDCANCEL) {
        // Enter, Escape and the close box: the window closes, and with it the program.
        if (controls_.dialog()) {
            ::EndDialog(controls_.dialog(), id);
        }
        return true;
    }
    const auto control = static_cast<ControlId>(id);
    const std::optional<Notification> what = notificationOf(code);
    if (!what) {
        return false;
    }
    controls_.markChanged();  // every control's, so that the next tick reads them again
    if (!isWatched(control, *what)) {
        return false;  // left to the dialog's default handling
    }
    session_.notify(control, *what);
    return true;
}

INT_PTR MainDialog::controlColour(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The platform's colours first; then labels black, edit fields red and buttons green on
    // blue, all over the background (hollow brush).
    ::DefWindowProcW(window, message, wParam, lParam);
    const HDC dc = reinterpret_cast<HDC>(wParam);
    switch (message) {
        case WM_CTLCOLORSTATIC:
            ::SetTextColor(dc, RGB(0, 0, 0));
            ::SetBkMode(dc, TRANSPARENT);
            break;
        case WM_CTLCOLOREDIT:
            ::SetTextColor(dc, RGB(255, 0, 0));
            break;
        default:  // WM_CTLCOLORBTN
            ::SetTextColor(dc, RGB(0, 255, 0));
            ::SetBkMode(dc, TRANSPARENT);
            ::SetBkColor(dc, RGB(0, 0, 255));
            break;
    }
    return reinterpret_cast<INT_PTR>(::GetStockObject(HOLLOW_BRUSH));
}

}  // namespace veltra
