#include <gtest/gtest.h>

#include <functional>

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

TEST(FirmwareUpgrade, WritesTheThreeFilesAndArmsTheCountdown) {
    for (std::uint8_t version : {33, 36}) {
        ProgramFixture f;
        onFirmware(f, version, 0);
        ASSERT_TRUE(writeConfiguration(f.program));
        EXPECT_EQ(f.drive.createdNames,
                  (std::vector<std::string>{"APP.BIN", "CONFIG.CFG", "OK.DAT"}));
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
        const int attempts = f.drive.createAttempts;
        EXPECT_TRUE(writeConfiguration(f.program));
        EXPECT_EQ(f.drive.createAttempts, attempts);
    }
}

TEST(FirmwareUpgrade, FailedUpgradeFallsBackToTheConfiguration) {
    using D = FakeDrive;
    constexpr std::size_t Whole = FirmwareImageSize;
    const struct {
        const char* what;
        std::function<void(D&)> arrange;
        std::size_t firmwareBytes;  // of APP.BIN left on the drive; 0: never created
        bool configured;            // else the configuration failed too
    } cases[] = {
        // Without APP.BIN nothing of the upgrade shows: no countdown, the button as it was.
        {"APP.BIN not created", [](D& d) { d.failingNames = {"APP.BIN"}; }, 0, true},
        // Once APP.BIN is there, the countdown and the button stay.
        {"upgrade CONFIG.CFG", [](D& d) { d.failingCreates = {2}; }, Whole, true},
        {"upgrade OK.DAT", [](D& d) { d.failingCreates = {3}; }, Whole, true},
        {"drive gone after APP.BIN", [](D& d) { d.vanishAfterCreates = 1; }, Whole, false},
        {"drive full inside APP.BIN", [](D& d) { d.freeBytes = 1000; }, 1000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFixture f;
        onFirmware(f, 40, 1);
        const std::string button = f.controls.text(ControlId::ConfigureButton);
        c.arrange(f.drive);
        EXPECT_EQ(writeConfiguration(f.program), c.configured);
        using Texts = std::vector<std::string>;
        EXPECT_EQ(f.messages(),
                  (c.configured ? Texts{UpgradeFailed} : Texts{UpgradeFailed, ConfigureFailed}));
        const bool created = c.firmwareBytes != 0;
        ASSERT_EQ(f.drive.has("APP.BIN"), created);
        if (created) {
            EXPECT_EQ(f.drive.file("APP.BIN"),
                      Bytes(firmwareBytes().begin(),
                            firmwareBytes().begin() + static_cast<long>(c.firmwareBytes)));
        }
        const PollState& s = f.program.pollState;
        EXPECT_EQ(s.upgradePending, 0);
        EXPECT_EQ(s.upgradeCountdown, created ? 150 : 0);
        EXPECT_EQ(s.tickCount, 99u);
        EXPECT_EQ(f.controls.text(ControlId::ConfigureButton),
                  created ? "Firmware Upgrade" : button);
        EXPECT_EQ(f.drive.has("OK.DAT"), c.configured);
        if (c.configured) {
            EXPECT_EQ(f.drive.file("CONFIG.CFG"), buildConfigFile(f.program.editParams, 40));
            EXPECT_EQ(f.drive.file("OK.DAT"), ProgramFixture::bytes("OK"));
        }
    }
}

}  // namespace
}  // namespace veltra
