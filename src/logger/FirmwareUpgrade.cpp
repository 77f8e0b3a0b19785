#include "logger/FirmwareUpgrade.h"

#include "logger/CfgRecord.h"
#include "logger/DeviceInfo.h"
#include "logger/FirmwareImage.h"
#include "logger/LoggerFiles.h"

namespace veltra {

bool needsFirmwareUpgrade(std::uint8_t version, std::uint8_t revision) {
    return version >= 32 && version <= 47 && (version < NewFirmwareFamily || revision < 2);
}

UpgradeProgress upgradeFirmware(DriveSession& drive, std::uint8_t firmwareVersion) {
    auto firmware = removeMarker(drive) ? drive.create(FirmwareFile) : nullptr;
    if (!firmware) {
        return UpgradeProgress::NothingWritten;
    }
    const auto config = buildUpgradeConfigFile(firmwareVersion);
    if (fillVerified(drive, std::move(firmware), FirmwareFile, FirmwareImage) &&
        writeVerified(drive, ConfigFile, config) && writeMarker(drive)) {
        return UpgradeProgress::Written;
    }
    return UpgradeProgress::Interrupted;
}

}  // namespace veltra
