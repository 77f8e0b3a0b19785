#include "logger/ConfigurationWriter.h"

#include "core/Program.h"
#include "logger/CfgRecord.h"
#include "logger/FirmwareUpgrade.h"
#include "logger/LoggerFiles.h"

namespace veltra {

namespace {

// The writes, all in one session on the logger's drive.
WriteResult writeOnDrive(Program& program, bool upgrade) {
    const PollState& state = program.pollState;
    const DriveOpening opening = openForWriting(program.drive, state.LoggerDrive, state.imageDrive);
    if (!opening.session) {
        return opening.refusal == DriveRefusal::Busy ? WriteResult::DriveBusy
                                                     : WriteResult::WriteFailed;
    }
    DriveSession& drive = *opening.session;
    if (upgrade && upgradeFirmware(program, drive)) {
        return WriteResult::UpgradeStarted;
    }
    // After a failed upgrade the settings go to the old firmware, without a firmware image
    // beside them that no upgrade record asked for.
    const auto file = buildConfigFile(program.editParams, program.deviceInfo.firmwareVersion);
    if ((upgrade && !drive.remove(FirmwareFile)) || !removeMarker(drive) ||
        !writeVerified(drive, ConfigFile, file) || !writeMarker(drive)) {
        return WriteResult::WriteFailed;
    }
    return upgrade ? WriteResult::UpgradeFailedThenWritten : WriteResult::Written;
}

}  // namespace

WriteResult writeConfiguration(Program& program) {
    if (program.pollState.upgradePending) {
        return WriteResult::HeldBack;
    }
    const DeviceInfo& info = program.deviceInfo;
    const bool upgrade = needsFirmwareUpgrade(info.firmwareVersion, info.firmwareRevision);
    const WriteResult result = writeOnDrive(program, upgrade);
    // Told once the drive is let go: a message box may stay open for long, and the drive must
    // not stay held (or locked) meanwhile.
    if (upgrade && result != WriteResult::UpgradeStarted) {
        program.controls.showMessage("Firmware upgrade failed,Please try again!");
    }
    if (!succeeded(result)) {
        program.controls.showMessage(
            "It's fail to configure device,please confirm that the device was plugged!");
    }
    return result;
}

}  // namespace veltra
