#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "logger/CfgRecord.h"
#include "logger/ConfigurationWriter.h"
#include "logger/FirmwareImage.h"
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
        drive.files = {{"CONFIG.CFG", oldConfig}, {"OK.DAT", OK}};
    }
    WriteOutcome write() { return writeConfiguration(drive, target, params, info); }

    FakeDrive drive;
    WriteTarget target{'E', drive.identity};  // DAT.SRC was read from this drive
    LoggerParameters params = sampleParameters();
    DeviceInfo info = sampleDeviceInfo();
    Bytes oldConfig;
};

// The marker goes first and comes back last, beside files read back whole; firmware 32 to 47
// takes the carried image first, below revision 2 from 36 on.
TEST(ConfigurationWriter, WritesEachFileVerifiedBetweenTheMarkers) {
    const struct {
        int version, revision;
        bool upgrade;
    } roads[] = {{31, 1, false}, {32, 255, true}, {36, 1, true},
                 {36, 2, false}, {47, 1, true},   {48, 0, false}};
    for (const auto [version, revision, upgrade] : roads) {
        SCOPED_TRACE(testing::Message() << version << " rev " << revision);
        Configured f(version, revision);
        const WriteOutcome outcome = f.write();
        EXPECT_EQ(outcome.result, upgrade ? WriteResult::UpgradeStarted : WriteResult::Written);
        EXPECT_EQ(outcome.firmwareOpened, upgrade);
        EXPECT_FALSE(outcome.upgradeFailed);
        Texts road({"open", "lock", "remove OK.DAT", "create APP.BIN", "write APP.BIN",
                    "finish APP.BIN", "read APP.BIN", "create CONFIG.CFG", "write CONFIG.CFG",
                    "finish CONFIG.CFG", "read CONFIG.CFG", "create OK.DAT", "write OK.DAT",
                    "finish OK.DAT"});
        std::map<std::string, Bytes> files{
            {"OK.DAT", OK},
            {"CONFIG.CFG", buildUpgradeConfigFile(version)},
            {"APP.BIN", Bytes(FirmwareImage.begin(), FirmwareImage.end())}};
        if (!upgrade) {
            road.erase(road.begin() + 3, road.begin() + 7);
            files.erase("APP.BIN");
            files["CONFIG.CFG"] = buildConfigFile(f.params, version);
        }
        EXPECT_EQ(f.drive.operations, road);
        EXPECT_EQ(f.drive.files, files);
        EXPECT_EQ(f.drive.sessionsOpen, 0);
    }
}

// Whichever single step fails, and whatever drive lies or has moved, no marker is left beside a
// file that was being rewritten and no firmware image beside the settings; once the drive is
// open, a failed upgrade falls back to writing the settings for the old firmware.
TEST(ConfigurationWriter, AnyFailureLeavesNoStrayFile) {
    using Arrange = std::function<void(Configured&)>;
    const auto readBack = [](void (*change)(Bytes&)) {
        return Arrange([=](Configured& f) { f.drive.alterRead = change; });
    };
    const std::pair<std::string, Arrange> lies[] = {
        {"read-back differs in one byte", readBack([](auto& b) { b[200] ^= 0x10; })},
        {"read-back short by a byte", readBack([](auto& b) { b.pop_back(); })},
        {"read-back with a byte more", readBack([](auto& b) { b.push_back(0); })},
        {"another filesystem there since DAT.SRC was read",
         [](Configured& f) { f.drive.identity.root = 99; }},
        {"logger on another letter", [](Configured& f) { f.target.letter = 'F'; }},
        {"no logger letter", [](Configured& f) { f.target.letter = 0; }},
    };
    for (auto [version, revision] : {std::pair{48, 2}, std::pair{40, 1}}) {
        const bool upgrade = revision == 1;
        Configured clean(version, revision);
        clean.write();
        const Texts road = clean.drive.operations;
        std::vector<std::pair<std::string, Arrange>> faults;
        for (std::size_t step = 1; step <= road.size(); ++step) {
            faults.emplace_back(road[step - 1],
                                [step](Configured& f) { f.drive.failingSteps = {step}; });
        }
        if (!upgrade) {
            faults.insert(faults.end(), std::begin(lies), std::end(lies));
        }
        const auto opened = std::find(road.begin(), road.end(), "create APP.BIN") - road.begin();
        for (std::size_t i = 0; i < faults.size(); ++i) {
            const std::string& failed = faults[i].first;
            SCOPED_TRACE(failed);
            Configured f(version, revision);
            faults[i].second(f);
            const WriteOutcome outcome = f.write();
            const bool fellBack = upgrade && failed != "open" && failed != "lock";
            EXPECT_EQ(outcome.result, fellBack           ? WriteResult::UpgradeFailedThenWritten
                                      : failed == "lock" ? WriteResult::DriveBusy
                                                         : WriteResult::WriteFailed);
            EXPECT_EQ(outcome.upgradeFailed, upgrade);
            EXPECT_EQ(outcome.firmwareOpened, upgrade && static_cast<std::ptrdiff_t>(i) > opened);
            EXPECT_EQ(f.drive.sessionsOpen, 0);
            EXPECT_FALSE(f.drive.has("APP.BIN"));
            EXPECT_TRUE(f.drive.has("OK.DAT") || !fellBack);
            if (f.drive.has("OK.DAT")) {
                EXPECT_EQ(f.drive.file("CONFIG.CFG"),
                          fellBack ? buildConfigFile(f.params, version) : f.oldConfig);
            }
        }
    }
}

// Whichever three steps fail (an upgrade whose marker fails to sync and then cannot be
// removed, twice), a marker on the drive stands only beside the complete files it is for.
// Steps past a road's end make the pairs and single faults among them.
TEST(ConfigurationWriter, AnyThreeFailuresLeaveTheMarkerBesideItsFiles) {
    const Bytes image(FirmwareImage.begin(), FirmwareImage.end());
    for (auto [version, revision] : {std::pair{48, 2}, std::pair{40, 1}}) {
        Configured clean(version, revision);
        clean.write();
        const std::size_t steps = clean.drive.operations.size() + 4;  // and the fallback's
        for (std::size_t a = 1; a <= steps; ++a) {
            for (std::size_t b = a + 1; b <= steps; ++b) {
                for (std::size_t c = b + 1; c <= steps + 2; ++c) {
                    Configured f(version, revision);
                    f.drive.failingSteps = {a, b, c};
                    f.write();
                    const Bytes& config = f.drive.file("CONFIG.CFG");
                    const bool upgradeFiles = config == buildUpgradeConfigFile(version) &&
                                              f.drive.has("APP.BIN") &&
                                              f.drive.file("APP.BIN") == image;
                    const bool settings =
                        (config == f.oldConfig || config == buildConfigFile(f.params, version)) &&
                        !f.drive.has("APP.BIN");
                    EXPECT_TRUE(!f.drive.has("OK.DAT") || upgradeFiles || settings)
                        << version << ": steps " << a << ", " << b << ", " << c << " failed";
                    EXPECT_EQ(f.drive.sessionsOpen, 0);
                }
            }
        }
    }
}

}  // namespace
}  // namespace veltra::test
