#include <gtest/gtest.h>

#include <functional>

#include "logger/CfgRecord.h"
#include "logger/ConfigurationWriter.h"
#include "logger/FirmwareImage.h"
#include "logger/FirmwareUpgrade.h"
#include "support/ProgramFixture.h"

namespace veltra {
namespace {

using test::FakeDrive;
using test::ProgramFixture;
using Bytes = FakeDrive::Bytes;

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

        ProgramFixture f;
        onFirmware(f, version, revision);
        EXPECT_TRUE(writeConfiguration(f.program));
        EXPECT_EQ(f.drive.has("APP.BIN"), row.upgrade) << row.version << " rev " << row.revision;
        EXPECT_EQ(f.drive.file("CONFIG.CFG").size(), row.upgrade ? 18u : 353u);
    }
}

TEST(FirmwareUpgrade, CarriedImageIsWholeAndSelfChecking) {
    ASSERT_EQ(FirmwareImage.size(), 118788u);
    EXPECT_TRUE(
        std::equal(FirmwareImageMagic.begin(), FirmwareImageMagic.end(), FirmwareImage.begin()));
    std::uint32_t sum = 0;
    for (std::size_t at = 0; at + 4 < FirmwareImage.size(); at += 4) {
        sum += FirmwareImage[at] | (FirmwareImage[at + 1] << 8) | (FirmwareImage[at + 2] << 16) |
               (static_cast<std::uint32_t>(FirmwareImage[at + 3]) << 24);
    }
    const std::size_t last = FirmwareImage.size() - 4;
    EXPECT_EQ(sum, FirmwareImage[last] | (FirmwareImage[last + 1] << 8) |
                       (FirmwareImage[last + 2] << 16) |
                       (static_cast<std::uint32_t>(FirmwareImage[last + 3]) << 24));
}

TEST(FirmwareUpgrade, WritesTheThreeFilesAndArmsTheCountdown) {
    for (auto [version, kind] : {std::pair{33, 0xFF}, std::pair{36, 0x82}}) {
        ProgramFixture f;
        onFirmware(f, static_cast<std::uint8_t>(version), 0);
        ASSERT_TRUE(writeConfiguration(f.program));
        EXPECT_EQ(f.drive.createdNames,
                  (std::vector<std::string>{"APP.BIN", "CONFIG.CFG", "OK.DAT"}));
        EXPECT_EQ(f.drive.file("APP.BIN"), firmwareBytes());
        EXPECT_EQ(f.drive.file("CONFIG.CFG"),
                  buildUpgradeConfigFile(static_cast<std::uint8_t>(version)));
        EXPECT_EQ(f.drive.file("CONFIG.CFG")[2], kind);
        EXPECT_EQ(f.drive.file("OK.DAT"), ProgramFixture::bytes("OK"));
        const PollState& s = f.program.pollState;
        EXPECT_EQ(s.upgradePending, 1);
        EXPECT_EQ(s.upgradeCountdown, 150);
        EXPECT_EQ(s.tickCount, 0u);
        EXPECT_EQ(f.controls.text(ControlId::ConfigureButton), "Firmware Upgrade");
        EXPECT_TRUE(f.messages().empty());

        // Held back until the logger comes back: a second request writes nothing.
        const int attempts = f.drive.createAttempts;
        EXPECT_TRUE(writeConfiguration(f.program));
        EXPECT_EQ(f.drive.createAttempts, attempts);
    }
}

TEST(FirmwareUpgrade, FirmwareThatCannotBeCreatedFallsBackToTheConfiguration) {
    ProgramFixture f;
    onFirmware(f, 34, 0);
    const std::string button = f.controls.text(ControlId::ConfigureButton);
    f.drive.failingNames.insert("APP.BIN");
    EXPECT_TRUE(writeConfiguration(f.program));
    EXPECT_EQ(f.messages(), std::vector<std::string>{UpgradeFailed});
    EXPECT_EQ(f.drive.file("CONFIG.CFG"), buildConfigFile(f.program.editParams, 34));
    EXPECT_EQ(f.drive.file("OK.DAT"), ProgramFixture::bytes("OK"));
    EXPECT_FALSE(f.drive.has("APP.BIN"));
    EXPECT_EQ(f.program.pollState.upgradePending, 0);
    EXPECT_EQ(f.program.pollState.upgradeCountdown, 0);
    EXPECT_EQ(f.controls.text(ControlId::ConfigureButton), button);
}

TEST(FirmwareUpgrade, LaterFailureKeepsTheFirmwareAndTheCountdown) {
    const struct {
        const char* what;
        std::function<void(FakeDrive&)> arrange;
        std::vector<std::string> messages;
        bool result;
    } cases[] = {
        // The upgrade's CONFIG.CFG or OK.DAT fails; the normal configuration follows.
        {"upgrade CONFIG.CFG", [](FakeDrive& d) { d.failingCreates = {2}; }, {UpgradeFailed}, true},
        {"upgrade OK.DAT", [](FakeDrive& d) { d.failingCreates = {3}; }, {UpgradeFailed}, true},
        // The drive goes away after APP.BIN: both the upgrade and the configuration fail.
        {"drive gone",
         [](FakeDrive& d) { d.vanishAfterCreates = 1; },
         {UpgradeFailed, ConfigureFailed},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFixture f;
        onFirmware(f, 40, 1);
        c.arrange(f.drive);
        EXPECT_EQ(writeConfiguration(f.program), c.result);
        EXPECT_EQ(f.messages(), c.messages);
        EXPECT_EQ(f.drive.file("APP.BIN"), firmwareBytes());
        const PollState& s = f.program.pollState;
        EXPECT_EQ(s.upgradePending, 0);
        EXPECT_EQ(s.upgradeCountdown, 150);
        EXPECT_EQ(s.tickCount, 99u);
        EXPECT_EQ(f.controls.text(ControlId::ConfigureButton), "Firmware Upgrade");
        if (c.result) {
            EXPECT_EQ(f.drive.file("CONFIG.CFG"), buildConfigFile(f.program.editParams, 40));
            EXPECT_EQ(f.drive.file("OK.DAT"), ProgramFixture::bytes("OK"));
        }
    }
}

TEST(FirmwareUpgrade, FirmwareWriteCutShortIsAFailure) {
    ProgramFixture f;
    onFirmware(f, 40, 0);
    f.drive.freeBytes = 1000;
    EXPECT_FALSE(writeConfiguration(f.program));
    EXPECT_EQ(f.messages(), (std::vector<std::string>{UpgradeFailed, ConfigureFailed}));
    EXPECT_EQ(f.program.pollState.upgradePending, 0);
    EXPECT_FALSE(f.drive.has("OK.DAT"));
}

}  // namespace
}  // namespace veltra
