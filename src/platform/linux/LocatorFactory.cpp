#include "platform/LocatorFactory.h"

#include "platform/linux/LinuxLocatorPlatform.h"

namespace veltra {

std::unique_ptr<LoggerLocator> makeLoggerLocator() {
    return makeDeviceLocator({}, std::cout);
}

std::unique_ptr<DeviceLocator> makeDeviceLocator(const LocatorSources& sources,
                                                 std::ostream& console) {
    const std::string sysfs = sources.sysfsRoot.empty() ? "/sys" : sources.sysfsRoot;
    const std::string mounts =
        sources.mountInfo.empty() ? "/proc/self/mountinfo" : sources.mountInfo;
    return std::make_unique<DeviceLocator>(std::make_unique<LinuxLocatorPlatform>(sysfs, mounts),
                                           console);
}

}  // namespace veltra
