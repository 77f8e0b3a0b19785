#pragma once

#include <iostream>
#include <memory>
#include <ostream>

#include "core/LoggerLocator.h"
#include "discovery/LocatorEntries.h"
#include "discovery/LocatorPlatform.h"

namespace veltra {

// The locator of the poll cycle over a platform back end. A call searches afresh unless the
// platform vouches that nothing changed since the last search, whose answer then stands; the
// last search's scan is kept for that and for diagnostics.
class DeviceLocator : public LoggerLocator {
  public:
    // `console` receives the line "   No found ID!\n" for each disk whose parent id cannot be
    // read.
    explicit DeviceLocator(LocatorPlatform& platform, std::ostream& console = std::cout);
    explicit DeviceLocator(std::unique_ptr<LocatorPlatform> platform,
                           std::ostream& console = std::cout);

    std::vector<std::string> collectMatchEntries() override;
    std::optional<std::filesystem::path> rootOf(char drive) const override;
    void watchDeviceChanges(bool watched) override { platform_.watchDeviceChanges(watched); }
    void deviceChanged() override { platform_.deviceChanged(); }

    const LocatorScan& lastScan() const { return scan_; }
    LocatorPlatform& platform() { return platform_; }
    const LocatorPlatform& platform() const { return platform_; }

  private:
    std::unique_ptr<LocatorPlatform> owned_;
    LocatorPlatform& platform_;
    std::ostream& console_;
    LocatorScan scan_;
    bool searched_ = false;
};

}  // namespace veltra
