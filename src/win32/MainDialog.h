#pragma once

#include <windows.h>

#include "core/DriveFiles.h"
#include "core/Host.h"
#include "core/LoggerLocator.h"
#include "ui/DialogSession.h"
#include "win32/Win32Controls.h"

namespace veltra {

// The main window (template 102) and the program's run: the dialog procedure only adapts
// window messages to the core. Timer 1 drives the poll cycle, the watched notifications go to
// it, news of devices goes to the locator, and the rest is painting, colours and the system
// menu's About entry.
class MainDialog {
  public:
    // `resources` is the module whose resources hold the templates, the icon, the background
    // and the About entry's text (the program itself, or a module loaded by a test).
    MainDialog(HINSTANCE resources, Host& host, DriveFiles& drive, LoggerLocator& locator);
    MainDialog(const MainDialog&) = delete;
    MainDialog& operator=(const MainDialog&) = delete;
    ~MainDialog();

    // Runs the window modally; returns when the user closes it (Enter, Escape, close box).
    INT_PTR run(HWND owner = nullptr);
    // Creates the window without running it (tests drive its messages themselves).
    HWND create(HWND owner = nullptr);

    DialogSession& session() { return session_; }
    Win32Controls& controls() { return controls_; }

    // The dialog procedure; the MainDialog comes with WM_INITDIALOG.
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    INT_PTR handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void initialise(HWND window);
    void paint(HWND window);
    void paintFocusRing(HWND window, HDC dc);
    bool command(WORD id, WORD code);
    INT_PTR controlColour(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE resources_;
    Win32Controls controls_;
    LoggerLocator& locator_;
    DialogSession session_;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HBITMAP background_ = nullptr;
};

// The About box (template 100), modal over `owner`.
void showAboutBox(HINSTANCE resources, HWND owner);

}  // namespace veltra
