#include <gtest/gtest.h>

#include <algorithm>

#include "WriteFixture.h"
#include "logger/CfgRecord.h"
#include "logger/FirmwareImage.h"
#include "logger/FirmwareUpgrade.h"

namespace veltra {
namespace {

using test::FakeDrive;
using test::WriteFixture;
using Bytes = FakeDrive::Bytes;
using Texts = std::vector<std::string>;

const Bytes& firmwareBytes() {
    static const Bytes bytes(FirmwareImage.begin(), FirmwareImage.end());
    return bytes;
}

// Settings for a logger whose firmware the carried image upgrades.
struct Upgrading : WriteFixture {
    explicit Upgrading(std::uint8_t version = 40) {
        info.firmwareVersion = version;
        info.firmwareRevision = 1;
    }
};

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

TEST(FirmwareUpgrade, WritesTheThreeFilesVerified) {
    for (std::uint8_t version : {33, 36}) {
        Upgrading f(version);
        f.drive.put("OK.DAT", WriteFixture::bytes("OK"));  // left from an earlier configuration
        const WriteOutcome outcome = f.write();
        ASSERT_EQ(outcome.result, WriteResult::UpgradeStarted);
        EXPECT_TRUE(outcome.firmwareOpened);
        EXPECT_FALSE(outcome.upgradeFailed);
        EXPECT_EQ(f.drive.operations,
                  (Texts{"open", "lock", "remove OK.DAT", "create APP.BIN", "write APP.BIN",
                         "finish APP.BIN", "read APP.BIN", "create CONFIG.CFG", "write CONFIG.CFG",
                         "finish CONFIG.CFG", "read CONFIG.CFG", "create OK.DAT", "write OK.DAT",
                         "finish OK.DAT"}));
        EXPECT_EQ(f.drive.file("APP.BIN"), firmwareBytes());
        EXPECT_EQ(f.drive.file("CONFIG.CFG"), buildUpgradeConfigFile(version));
        EXPECT_EQ(f.drive.file("OK.DAT"), WriteFixture::bytes("OK"));
    }
}

// Whichever single step of the upgrade fails, the settings go to the old firmware, and no
// firmware image is left beside them.
TEST(FirmwareUpgrade, AnySingleFailureFallsBackToTheConfiguration) {
    Upgrading clean;
    clean.write();
    const Texts road = clean.drive.operations;
    const auto opened = std::find(road.begin(), road.end(), "create APP.BIN") - road.begin() + 1;
    for (std::size_t step = 1; step <= road.size(); ++step) {
        const std::string failed = road[step - 1];
        SCOPED_TRACE(failed);
        Upgrading f;
        f.drive.failingSteps = {step};
        const WriteOutcome outcome = f.write();

        EXPECT_TRUE(outcome.upgradeFailed);
        EXPECT_EQ(outcome.firmwareOpened, static_cast<std::ptrdiff_t>(step) > opened);
        EXPECT_FALSE(f.drive.has("APP.BIN"));
        if (failed == "open" || failed == "lock") {
            EXPECT_EQ(outcome.result,
                      failed == "lock" ? WriteResult::DriveBusy : WriteResult::WriteFailed);
            EXPECT_TRUE(f.drive.files.empty());
            continue;
        }
        EXPECT_EQ(outcome.result, WriteResult::UpgradeFailedThenWritten);
        EXPECT_EQ(f.drive.file("CONFIG.CFG"), buildConfigFile(f.params, 40));
        EXPECT_EQ(f.drive.file("OK.DAT"), WriteFixture::bytes("OK"));
    }
}

}  // namespace
}  // namespace veltra
