#include "logger/ConfigurationWriter.h"

#include "logger/CfgRecord.h"
#include "logger/FirmwareUpgrade.h"
#include "logger/LoggerFiles.h"

namespace veltra {

WriteOutcome writeConfiguration(DriveFiles& files, const WriteTarget& target,
                                const LoggerParameters& params, const DeviceInfo& info) {
    const bool upgrade = needsFirmwareUpgrade(info.firmwareVersion, info.firmwareRevision);
    WriteOutcome outcome{WriteResult::WriteFailed, upgrade, false, {}};
    const DriveOpening opening = openForWriting(files, target.letter, target.imageDrive);
    if (!opening.session) {
        if (opening.refusal == DriveRefusal::Busy) {
            outcome.result = WriteResult::DriveBusy;
        } else {
            outcome.reason = "the logger's drive is not there any more";
        }
        return outcome;
    }
    DriveSession& drive = *opening.session;
    if (upgrade) {
        const UpgradeProgress progress = upgradeFirmware(drive, info.firmwareVersion);
        outcome.firmwareOpened = progress != UpgradeProgress::NothingWritten;
        if (progress == UpgradeProgress::Written) {
            return {WriteResult::UpgradeStarted, false, true, {}};
        }
        outcome.reason = drive.failureReason();
    }
    // After a failed upgrade the settings go to the old firmware, without a firmware image
    // beside them that no upgrade record asked for. A marker that the failed upgrade left
    // (one it could not remove again) still vouches for APP.BIN: it must be gone, durably,
    // before APP.BIN is touched.
    const auto file = buildConfigFile(params, info.firmwareVersion);
    if (!removeMarker(drive) || (upgrade && !drive.remove(FirmwareFile)) ||
        !writeVerified(drive, ConfigFile, file) || !writeMarker(drive)) {
        drive.discardWritten();
        outcome.reason = drive.failureReason();
        return outcome;
    }
    outcome.result = upgrade ? WriteResult::UpgradeFailedThenWritten : WriteResult::Written;
    return outcome;
}

}  // namespace veltra
