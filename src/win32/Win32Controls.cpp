#include "win32/Win32Controls.h"

#include <string>

#include "core/HostCharset.h"
#include "ui/PollState.h"
#include "win32/WideText.h"

namespace veltra {

void Win32Controls::attach(HWND dialog) {
    dialog_ = dialog;
    if (dialog) {
        names_.attach(dialog);
    } else {
        names_.detach();
    }
}

HWND Win32Controls::item(ControlId id) const {
    return dialog_ ? ::GetDlgItem(dialog_, toInt(id)) : nullptr;
}

std::string Win32Controls::text(ControlId id) const {
    const HWND control = item(id);
    if (!control) {
        return {};
    }
    const int length = ::GetWindowTextLengthA(control);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = ::GetWindowTextA(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

void Win32Controls::setText(ControlId id, std::string_view text) {
    if (const HWND control = item(id)) {
        const std::string zeroEnded(text.substr(0, text.find('\0')));
        ++changes_;
        if (zeroEnded == this->text(id)) {
            unchanged_.insert(id);
        } else {
            unchanged_.erase(id);
        }
        ::SetWindowTextA(control, zeroEnded.c_str());
        names_.unitShown(id, hostTextToUtf8Lossy(zeroEnded));
    }
}

int Win32Controls::selection(ControlId id) const {
    const HWND control = item(id);
    if (!control) {
        return -1;
    }
    const LRESULT index = ::SendMessageA(control, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void Win32Controls::select(ControlId id, int index) {
    if (const HWND control = item(id)) {
        // An index outside the list clears the selection, as -1 does.
        const bool inside = index >= 0 && index < entryCount(id);
        ::SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(inside ? index : -1), 0);
        ++changes_;
    }
}

int Win32Controls::entryCount(ControlId id) const {
    const HWND control = item(id);
    if (!control) {
        return 0;
    }
    const LRESULT count = ::SendMessageA(control, CB_GETCOUNT, 0, 0);
    return count == CB_ERR ? 0 : static_cast<int>(count);
}

std::string Win32Controls::entryText(ControlId id, int index) const {
    const HWND control = item(id);
    if (!control || index < 0 || index >= entryCount(id)) {
        return {};
    }
    const LRESULT length = ::SendMessageA(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT got = ::SendMessageA(control, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                       reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == CB_ERR ? 0 : static_cast<std::size_t>(got));
    return text;
}

bool Win32Controls::isChecked(ControlId id) const {
    return dialog_ && ::IsDlgButtonChecked(dialog_, toInt(id)) == BST_CHECKED;
}

void Win32Controls::setEnabled(ControlId id, bool enabled) {
    if (const HWND control = item(id)) {
        ::EnableWindow(control, enabled ? TRUE : FALSE);
    }
}

void Win32Controls::setFocus(ControlId id) {
    if (const HWND control = item(id)) {
        // The dialog's own way, so that the default button and edit selection follow.
        ::SendMessageA(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    }
}

void Win32Controls::refreshControlArea(ControlId id) {
    // A text set again unchanged leaves nothing to repaint.
    const HWND control = item(id);
    if (!control || unchanged_.erase(id) != 0) {
        return;
    }
    RECT area{};
    ::GetWindowRect(control, &area);
    // Screen to the dialog's client coordinates (both corners).
    ::MapWindowPoints(HWND_DESKTOP, dialog_, reinterpret_cast<POINT*>(&area), 2);
    ::InvalidateRect(dialog_, &area, TRUE);
}

void Win32Controls::showMessage(std::string_view utf8Text) {
    const std::wstring text = utf8ToWide(utf8Text);
    ::MessageBoxW(dialog_, text.c_str(), L"Veltra", MB_OK);
}

void Win32Controls::stopPollTimer() {
    if (dialog_) {
        ::KillTimer(dialog_, PollTimer);
    }
}

void Win32Controls::startPollTimer() {
    if (dialog_) {
        ::SetTimer(dialog_, PollTimer, PollPeriodMs, nullptr);
    }
}

void Win32Controls::addEntry(ControlId id, std::string_view text) {
    if (const HWND control = item(id)) {
        const std::string zeroEnded(text);
        ::SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(zeroEnded.c_str()));
    }
}

}  // namespace veltra
