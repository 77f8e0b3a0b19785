#include "logger/FirmwareUpgrade.h"

#include "core/Program.h"
#include "logger/CfgRecord.h"
#include "logger/FirmwareImage.h"
#include "logger/LoggerFiles.h"

namespace veltra {

bool needsFirmwareUpgrade(std::uint8_t version, std::uint8_t revision) {
    return version >= 32 && version <= 47 && (version <= 35 || revision < 2);
}

namespace {

// Writes the three upgrade files in order; false at the first that fails.
bool writeUpgradeFiles(Program& program) {
    PollState& state = program.pollState;
    const char letter = state.LoggerDrive;

    auto firmware = program.drive.create(letter, FirmwareFile);
    if (!firmware) {
        return false;
    }
    state.upgradeCountdown = 150;
    program.controls.setText(ControlId::ConfigureButton, "Firmware Upgrade");
    const bool written = firmware->write(FirmwareImage);
    if (!firmware->finish() || !written) {
        return false;
    }

    const auto config = buildUpgradeConfigFile(program.deviceInfo.firmwareVersion);
    return writeDriveFile(program.drive, letter, ConfigFile, config) &&
           writeDriveFile(program.drive, letter, MarkerFile, MarkerBytes);
}

}  // namespace

void upgradeFirmware(Program& program) {
    PollState& state = program.pollState;
    if (state.upgradePending) {
        return;
    }
    const DeviceInfo& info = program.deviceInfo;
    if (!needsFirmwareUpgrade(info.firmwareVersion, info.firmwareRevision)) {
        return;
    }
    if (!writeUpgradeFiles(program)) {
        program.controls.showMessage("Firmware upgrade failed,Please try again!");
        return;
    }
    state.tickCount = 0;
    state.upgradePending = 1;
}

}  // namespace veltra
