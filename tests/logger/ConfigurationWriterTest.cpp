#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "logger/CfgRecord.h"
#include "logger/ConfigurationWriter.h"
#include "logger/FirmwareImage.h"
#include "logger/FirmwareUpgrade.h"
#include "support/FakeDrive.h"
#include "support/SampleSettings.h"

namespace veltra::test {
namespace {

using Bytes = FakeDrive::Bytes;
using Texts = std::vector<std::string>;
const Bytes OK{'O', 'K'};

// Valid settings for a logger read from drive E (firmware 40 revision 1 needs the carried
// image), whose drive holds an earlier configuration and its marker.
struct Configured {
    explicit Configured(std::uint8_t version = 48, std::uint8_t revision = 2) {
        info.firmwareVersion = version;
        info.firmwareRevision = revision;
        LoggerParameters old = params;
        old.sampleInterval = 7;
        oldConfig = buildConfigFile(old, version);
        drive.put("CONFIG.CFG", oldConfig);
        drive.put("OK.DAT", OK);
    }
    WriteOutcome write() { return writeConfiguration(drive, target, params, info); }

    // Fails without any upgrade in it; the drive is let go, and a marker stands only beside
    // the configuration it was written for.
    void expectFailed(WriteResult result) {
        const WriteOutcome outcome = write();
        EXPECT_EQ(outcome.result, result);
        EXPECT_FALSE(outcome.upgradeFailed || outcome.firmwareOpened);
        EXPECT_EQ(drive.sessionsOpen, 0);
        if (drive.has("OK.DAT")) {
            EXPECT_EQ(drive.file("CONFIG.CFG"), oldConfig);
        }
    }

    FakeDrive drive{'E'};
    WriteTarget target{'E', drive.identity};  // DAT.SRC was read from this drive
    LoggerParameters params = sampleParameters();
    DeviceInfo info = sampleDeviceInfo();
    Bytes oldConfig;
};

TEST(ConfigurationWriter, RemovesTheMarkerFirstAndWritesItLast) {
    Configured f(31);
    const WriteOutcome outcome = f.write();
    ASSERT_EQ(outcome.result, WriteResult::Written);
    EXPECT_FALSE(outcome.upgradeFailed || outcome.firmwareOpened);
    EXPECT_EQ(f.drive.operations, (Texts{"open", "lock", "remove OK.DAT", "create CONFIG.CFG",
                                         "write CONFIG.CFG", "finish CONFIG.CFG", "read CONFIG.CFG",
                                         "create OK.DAT", "write OK.DAT", "finish OK.DAT"}));
    ASSERT_EQ(f.drive.files.size(), 2u);
    EXPECT_EQ(f.drive.file("CONFIG.CFG"), buildConfigFile(f.params, 31));
    EXPECT_EQ(f.drive.file("OK.DAT"), OK);
    EXPECT_EQ(f.drive.sessionsOpen, 0);
}

// Whichever single step of the road fails, no marker is left beside a file that was being
// rewritten.
TEST(ConfigurationWriter, AnySingleFailureLeavesNoStrayMarker) {
    Configured clean;
    clean.write();
    const Texts road = clean.drive.operations;
    for (std::size_t step = 1; step <= road.size(); ++step) {
        SCOPED_TRACE(road[step - 1]);
        Configured f;
        f.drive.failingSteps = {step};
        f.expectFailed(road[step - 1] == "lock" ? WriteResult::DriveBusy
                                                : WriteResult::WriteFailed);
    }
}

TEST(ConfigurationWriter, DrivesThatLieOrMovedAreFailures) {
    using F = Configured;
    const auto readBack = [](void (*change)(Bytes&)) {
        return [=](F& f) { f.drive.alterRead = [=](auto&, Bytes& b) { change(b); }; };
    };
    const struct {
        const char* what;
        std::function<void(F&)> arrange;
    } cases[] = {
        {"read-back differs in one byte", readBack([](auto& b) { b[200] ^= 0x10; })},
        {"read-back short by a byte", readBack([](auto& b) { b.pop_back(); })},
        {"read-back with a byte more", readBack([](auto& b) { b.push_back(0); })},
        {"another filesystem there since DAT.SRC was read",
         [](F& f) { f.drive.identity.root = 99; }},
        {"logger on another letter", [](F& f) { f.target.letter = 'F'; }},
        {"no logger letter", [](F& f) { f.target.letter = 0; }},
        {"logger unplugged", [](F& f) { f.drive.present = false; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        F f;
        c.arrange(f);
        f.expectFailed(WriteResult::WriteFailed);
    }
}

TEST(FirmwareUpgrade, DecisionFollowsVersionAndRevision) {
    const struct {
        int version, revision;
        bool upgrade;
    } table[] = {{31, 0, false}, {32, 255, true}, {35, 9, true}, {36, 1, true},
                 {36, 2, false}, {47, 1, true},   {48, 0, false}};
    for (const auto& row : table) {
        EXPECT_EQ(needsFirmwareUpgrade(std::uint8_t(row.version), std::uint8_t(row.revision)),
                  row.upgrade)
            << row.version << " rev " << row.revision;
    }
}

TEST(FirmwareUpgrade, WritesTheThreeFilesVerified) {
    for (std::uint8_t version : {33, 36}) {
        Configured f(version, 1);
        f.drive.files.erase("CONFIG.CFG");
        const WriteOutcome outcome = f.write();
        ASSERT_EQ(outcome.result, WriteResult::UpgradeStarted);
        EXPECT_TRUE(outcome.firmwareOpened);
        EXPECT_FALSE(outcome.upgradeFailed);
        EXPECT_EQ(f.drive.operations,
                  (Texts{"open", "lock", "remove OK.DAT", "create APP.BIN", "write APP.BIN",
                         "finish APP.BIN", "read APP.BIN", "create CONFIG.CFG", "write CONFIG.CFG",
                         "finish CONFIG.CFG", "read CONFIG.CFG", "create OK.DAT", "write OK.DAT",
                         "finish OK.DAT"}));
        EXPECT_EQ(f.drive.file("APP.BIN"), Bytes(FirmwareImage.begin(), FirmwareImage.end()));
        EXPECT_EQ(f.drive.file("CONFIG.CFG"), buildUpgradeConfigFile(version));
        EXPECT_EQ(f.drive.file("OK.DAT"), OK);
    }
}

// Whichever single step of the upgrade fails, the settings go to the old firmware, and no
// firmware image is left beside them.
TEST(FirmwareUpgrade, AnySingleFailureFallsBackToTheConfiguration) {
    Configured clean(40, 1);
    clean.write();
    const Texts road = clean.drive.operations;
    const auto opened = std::find(road.begin(), road.end(), "create APP.BIN") - road.begin() + 1;
    for (std::size_t step = 1; step <= road.size(); ++step) {
        const std::string failed = road[step - 1];
        SCOPED_TRACE(failed);
        Configured f(40, 1);
        f.drive.failingSteps = {step};
        const WriteOutcome outcome = f.write();
        EXPECT_TRUE(outcome.upgradeFailed);
        EXPECT_EQ(outcome.firmwareOpened, static_cast<std::ptrdiff_t>(step) > opened);
        EXPECT_FALSE(f.drive.has("APP.BIN"));
        if (failed == "open" || failed == "lock") {
            EXPECT_EQ(outcome.result,
                      failed == "lock" ? WriteResult::DriveBusy : WriteResult::WriteFailed);
            EXPECT_EQ(f.drive.file("CONFIG.CFG"), f.oldConfig);  // nothing written
            continue;
        }
        EXPECT_EQ(outcome.result, WriteResult::UpgradeFailedThenWritten);
        EXPECT_EQ(f.drive.file("CONFIG.CFG"), buildConfigFile(f.params, 40));
        EXPECT_EQ(f.drive.file("OK.DAT"), OK);
    }
}

}  // namespace
}  // namespace veltra::test
