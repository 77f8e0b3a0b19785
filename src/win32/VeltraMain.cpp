// Veltra.exe: the main window, run modally until the user closes it.
#include <windows.h>

#include "platform/HostFactory.h"
#include "platform/LocatorFactory.h"
#include "platform/windows/DriveLetterFiles.h"
#include "win32/MainDialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const auto host = veltra::makeHost();
    const auto locator = veltra::makeLoggerLocator();
    veltra::DriveLetterFiles drive;
    veltra::MainDialog dialog(instance, *host, drive, *locator);
    dialog.run();  // OK or Cancel: both end the program
    return 0;
}
