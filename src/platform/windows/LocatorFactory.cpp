#include "platform/LocatorFactory.h"

#include "platform/windows/WindowsLocatorPlatform.h"

namespace veltra {

std::unique_ptr<LoggerLocator> makeLoggerLocator() {
    return makeDeviceLocator({}, std::cout);
}

// Windows has one source of drives and disks: the system itself.
std::unique_ptr<DeviceLocator> makeDeviceLocator(const LocatorSources& /*sources*/,
                                                 std::ostream& console) {
    return std::make_unique<DeviceLocator>(std::make_unique<WindowsLocatorPlatform>(), console);
}

}  // namespace veltra
