#include "logger/FirmwareUpgrade.h"

#include "core/Program.h"
#include "logger/CfgRecord.h"
#include "logger/FirmwareImage.h"
#include "logger/LoggerFiles.h"

namespace veltra {

bool needsFirmwareUpgrade(std::uint8_t version, std::uint8_t revision) {
    return version >= 32 && version <= 47 && (version <= 35 || revision < 2);
}

bool upgradeFirmware(Program& program, DriveSession& drive) {
    PollState& state = program.pollState;
    auto firmware = removeMarker(drive) ? drive.create(FirmwareFile) : nullptr;
    if (firmware) {
        state.upgradeCountdown = 150;
        program.controls.setText(ControlId::ConfigureButton, "Firmware Upgrade");
        const auto config = buildUpgradeConfigFile(program.deviceInfo.firmwareVersion);
        if (fillVerified(drive, std::move(firmware), FirmwareFile, FirmwareImage) &&
            writeVerified(drive, ConfigFile, config) && writeMarker(drive)) {
            state.tickCount = 0;
            state.upgradePending = 1;
            return true;
        }
    }
    return false;
}

}  // namespace veltra
