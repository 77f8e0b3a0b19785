#include "logger/ConfigurationWriter.h"

#include "core/Program.h"
#include "logger/CfgRecord.h"
#include "logger/FirmwareUpgrade.h"
#include "logger/LoggerFiles.h"

namespace veltra {

namespace {

constexpr const char* ConfigureFailed =
    "It's fail to configure device,please confirm that the device was plugged!";

}  // namespace

WriteResult writeConfiguration(Program& program) {
    PollState& state = program.pollState;
    if (state.upgradePending) {
        return WriteResult::HeldBack;
    }
    const DeviceInfo& info = program.deviceInfo;
    const bool upgrade = needsFirmwareUpgrade(info.firmwareVersion, info.firmwareRevision);
    const DriveOpening opening = openForWriting(program.drive, state.LoggerDrive, state.imageDrive);
    if (!opening.session) {
        // Neither APP.BIN nor CONFIG.CFG could be opened: both failures are told.
        if (upgrade) {
            showUpgradeFailed(program);
        }
        program.controls.showMessage(ConfigureFailed);
        return opening.refusal == DriveRefusal::Busy ? WriteResult::DriveBusy
                                                     : WriteResult::WriteFailed;
    }
    DriveSession& drive = *opening.session;
    if (upgrade && upgradeFirmware(program, drive)) {
        return WriteResult::UpgradeStarted;
    }
    // After a failed upgrade the settings go to the old firmware, without a firmware image
    // beside them that no upgrade record asked for.
    const auto file = buildConfigFile(program.editParams, info.firmwareVersion);
    if ((upgrade && !drive.remove(FirmwareFile)) || !removeMarker(drive) ||
        !writeVerified(drive, ConfigFile, file) || !writeMarker(drive)) {
        program.controls.showMessage(ConfigureFailed);
        return WriteResult::WriteFailed;
    }
    return upgrade ? WriteResult::UpgradeFailedThenWritten : WriteResult::Written;
}

}  // namespace veltra
