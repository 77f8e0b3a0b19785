#include "logger/ConfigurationWriter.h"

#include <algorithm>
#include <array>

#include "core/Program.h"
#include "logger/CfgRecord.h"
#include "logger/FirmwareUpgrade.h"
#include "logger/LoggerFiles.h"

namespace veltra {

namespace {

constexpr const char* ConfigureFailed =
    "It's fail to configure device,please confirm that the device was plugged!";

// Reads CONFIG.CFG back from the device and compares it with what was written.
bool readsBackUnchanged(DriveFiles& drive, char letter, std::span<const std::uint8_t> written) {
    std::array<std::uint8_t, 1024> readBack{};
    const auto count = drive.read(letter, ConfigFile, readBack);
    return count && *count == written.size() &&
           std::equal(written.begin(), written.end(), readBack.begin());
}

}  // namespace

bool writeConfiguration(Program& program) {
    const char letter = program.pollState.LoggerDrive;
    upgradeFirmware(program);
    if (program.pollState.upgradePending) {
        return true;
    }

    const auto file = buildConfigFile(program.editParams, program.deviceInfo.firmwareVersion);
    if (!writeDriveFile(program.drive, letter, ConfigFile, file) ||
        !readsBackUnchanged(program.drive, letter, file) ||
        !writeDriveFile(program.drive, letter, MarkerFile, MarkerBytes)) {
        program.controls.showMessage(ConfigureFailed);
        return false;
    }
    return true;
}

}  // namespace veltra
