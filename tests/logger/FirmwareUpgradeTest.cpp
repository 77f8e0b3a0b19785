#include <gtest/gtest.h>

#include <algorithm>

#include "logger/ByteOrder.h"
#include "logger/CfgRecord.h"
#include "logger/ConfigurationWriter.h"
#include "logger/DeviceImage.h"
#include "logger/FirmwareImage.h"
#include "logger/FirmwareUpgrade.h"
#include "support/ProgramFixture.h"

namespace veltra {
namespace {

using test::FakeDrive;
using test::ProgramFixture;
using Bytes = FakeDrive::Bytes;
using Texts = std::vector<std::string>;

constexpr const char* UpgradeFailed = "Firmware upgrade failed,Please try again!";
constexpr const char* ConfigureFailed =
    "It's fail to configure device,please confirm that the device was plugged!";

const Bytes& firmwareBytes() {
    static const Bytes bytes(FirmwareImage.begin(), FirmwareImage.end());
    return bytes;
}

ProgramFixture& onFirmware(ProgramFixture& f, std::uint8_t version, std::uint8_t revision) {
    f.program.deviceInfo.firmwareVersion = version;
    f.program.deviceInfo.firmwareRevision = revision;
    f.program.pollState.tickCount = 99;
    return f;
}

TEST(FirmwareUpgrade, DecisionFollowsVersionAndRevision) {
    const struct {
        int version;
        int revision;
        bool upgrade;
    } table[] = {
        {0, 0, false},   {31, 0, false}, {31, 9, false}, {32, 0, true},
        {32, 255, true}, {35, 2, true},  {35, 9, true},  {36, 0, true},
        {36, 1, true},   {36, 2, false}, {40, 1, true},  {47, 0, true},
        {47, 1, true},   {47, 2, false}, {48, 0, false}, {255, 0, false},
    };
    for (const auto& row : table) {
        const auto version = static_cast<std::uint8_t>(row.version);
        const auto revision = static_cast<std::uint8_t>(row.revision);
        EXPECT_EQ(needsFirmwareUpgrade(version, revision), row.upgrade)
            << row.version << " rev " << row.revision;
    }
}

TEST(FirmwareUpgrade, CarriedImageIsSelfChecking) {
    EXPECT_TRUE(
        std::equal(FirmwareImageMagic.begin(), FirmwareImageMagic.end(), FirmwareImage.begin()));
    const std::size_t last = FirmwareImage.size() - 4;
    EXPECT_EQ(imageChecksum(std::span(FirmwareImage).first(last)), readU32Le(FirmwareImage, last));
}

TEST(FirmwareUpgrade, WritesTheThreeFilesVerifiedAndArmsTheCountdown) {
    for (std::uint8_t version : {33, 36}) {
        ProgramFixture f;
        onFirmware(f, version, 0);
        f.drive.put("OK.DAT", ProgramFixture::bytes("OK"));  // left from an earlier configuration
        ASSERT_EQ(writeConfiguration(f.program), WriteResult::UpgradeStarted);
        EXPECT_EQ(f.drive.operations,
                  (Texts{"open", "lock", "remove OK.DAT", "create APP.BIN", "write APP.BIN",
                         "finish APP.BIN", "read APP.BIN", "create CONFIG.CFG", "write CONFIG.CFG",
                         "finish CONFIG.CFG", "read CONFIG.CFG", "create OK.DAT", "write OK.DAT",
                         "finish OK.DAT"}));
        EXPECT_EQ(f.drive.file("APP.BIN"), firmwareBytes());
        EXPECT_EQ(f.drive.file("CONFIG.CFG"), buildUpgradeConfigFile(version));
        EXPECT_EQ(f.drive.file("OK.DAT"), ProgramFixture::bytes("OK"));
        const PollState& s = f.program.pollState;
        EXPECT_EQ(s.upgradePending, 1);
        EXPECT_EQ(s.upgradeCountdown, 150);
        EXPECT_EQ(s.tickCount, 0u);
        EXPECT_EQ(f.controls.text(ControlId::ConfigureButton), "Firmware Upgrade");
        EXPECT_TRUE(f.messages().empty());

        // Held back until the logger comes back: a second request writes nothing.
        f.drive.operations.clear();
        EXPECT_EQ(writeConfiguration(f.program), WriteResult::HeldBack);
        EXPECT_TRUE(f.drive.operations.empty());
    }
}

// Whichever single step of the upgrade fails, the settings go to the old firmware, and no
// firmware image is left beside them.
TEST(FirmwareUpgrade, AnySingleFailureFallsBackToTheConfiguration) {
    ProgramFixture clean;
    writeConfiguration(onFirmware(clean, 40, 1).program);
    const Texts road = clean.drive.operations;
    const auto opened = std::find(road.begin(), road.end(), "create APP.BIN") - road.begin() + 1;
    for (std::size_t step = 1; step <= road.size(); ++step) {
        const std::string failed = road[step - 1];
        SCOPED_TRACE(failed);
        ProgramFixture f;
        onFirmware(f, 40, 1);
        const std::string button = f.controls.text(ControlId::ConfigureButton);
        f.drive.failingSteps = {step};
        const WriteResult result = writeConfiguration(f.program);

        const PollState& s = f.program.pollState;
        EXPECT_EQ(s.upgradePending, 0);
        EXPECT_EQ(s.tickCount, 99u);
        // Once APP.BIN was open, the countdown and the button stay as the upgrade left them.
        const bool armed = static_cast<std::ptrdiff_t>(step) > opened;
        EXPECT_EQ(s.upgradeCountdown, armed ? 150 : 0);
        EXPECT_EQ(f.controls.text(ControlId::ConfigureButton), armed ? "Firmware Upgrade" : button);
        EXPECT_FALSE(f.drive.has("APP.BIN"));
        if (failed == "open" || failed == "lock") {
            EXPECT_EQ(result, failed == "lock" ? WriteResult::DriveBusy : WriteResult::WriteFailed);
            EXPECT_EQ(f.messages(), (Texts{UpgradeFailed, ConfigureFailed}));
            EXPECT_TRUE(f.drive.files.empty());
            continue;
        }
        EXPECT_EQ(result, WriteResult::UpgradeFailedThenWritten);
        EXPECT_EQ(f.messages(), Texts{UpgradeFailed});
        EXPECT_EQ(f.drive.file("CONFIG.CFG"), buildConfigFile(f.program.editParams, 40));
        EXPECT_EQ(f.drive.file("OK.DAT"), ProgramFixture::bytes("OK"));
    }
}

}  // namespace
}  // namespace veltra
