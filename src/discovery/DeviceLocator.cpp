#include "discovery/DeviceLocator.h"

namespace veltra {

DeviceLocator::DeviceLocator(LocatorPlatform& platform, std::ostream& console)
    : platform_(platform), console_(console) {}

DeviceLocator::DeviceLocator(std::unique_ptr<LocatorPlatform> platform, std::ostream& console)
    : owned_(std::move(platform)), platform_(*owned_), console_(console) {}

std::vector<std::string> DeviceLocator::collectMatchEntries() {
    if (searched_ && platform_.unchangedSinceLastSearch()) {
        return scan_.matchEntries;
    }
    scan_ = LocatorScan{};
    searched_ = true;
    return veltra::collectMatchEntries(platform_, console_, &scan_);
}

std::optional<std::filesystem::path> DeviceLocator::rootOf(char drive) const {
    return platform_.rootOf(drive);
}

}  // namespace veltra
