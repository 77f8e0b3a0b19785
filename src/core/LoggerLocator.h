#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace veltra {

// Finds the drives of plugged loggers. Implemented by the device locator over a platform
// back end (Linux, Windows, or a fake one), and by scripted fakes in tests.
class LoggerLocator {
  public:
    virtual ~LoggerLocator() = default;

    // The joined drive-and-disk texts of this moment, "PFAD_" + drive letter + the disk's
    // USB device id from its backslash on (for example PFAD_E\VID_2017&PID_0901\SN0001), in
    // drive letter order; at most 26.
    virtual std::vector<std::string> collectMatchEntries() = 0;

    // The folder that is the root of the drive with this letter, while it is mounted.
    virtual std::optional<std::filesystem::path> rootOf(char drive) const = 0;

    // News from a window that hears of every device that comes or goes (WM_DEVICECHANGE on
    // Windows): watchDeviceChanges(true) once it hears them, and false when it stops;
    // deviceChanged() for each such news. A locator may skip its search while none came.
    virtual void watchDeviceChanges(bool /*watched*/) {}
    virtual void deviceChanged() {}
};

}  // namespace veltra
