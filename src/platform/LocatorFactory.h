#pragma once

#include <iostream>
#include <memory>
#include <ostream>
#include <string>

#include "core/LoggerLocator.h"
#include "discovery/DeviceLocator.h"

namespace veltra {

// The locator over the devices of the platform the program was built for, as the dialog uses
// it; "   No found ID!" lines go to standard output.
std::unique_ptr<LoggerLocator> makeLoggerLocator();

// Where a locator looks, for diagnostics and tests. Empty fields mean the system's own. On
// Linux: the sysfs folder ("/sys") and the mount table ("/proc/self/mountinfo"); other
// platforms ignore them.
struct LocatorSources {
    std::string sysfsRoot;
    std::string mountInfo;
};

// The same locator with its scan and its platform's notes open to inspection.
std::unique_ptr<DeviceLocator> makeDeviceLocator(const LocatorSources& sources,
                                                 std::ostream& console = std::cout);

}  // namespace veltra
