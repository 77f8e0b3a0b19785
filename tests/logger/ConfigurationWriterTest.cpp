#include <gtest/gtest.h>

#include <functional>

#include "logger/CfgRecord.h"
#include "logger/ConfigurationWriter.h"
#include "support/ProgramFixture.h"

namespace veltra {
namespace {

using test::FakeDrive;
using test::ProgramFixture;
using Texts = std::vector<std::string>;

constexpr const char* ConfigureFailed =
    "It's fail to configure device,please confirm that the device was plugged!";

// A drive that holds an earlier configuration and its marker.
struct Configured : ProgramFixture {
    Configured() {
        LoggerParameters old = program.editParams;
        old.sampleInterval = 7;
        oldConfig = buildConfigFile(old, program.deviceInfo.firmwareVersion);
        drive.put("CONFIG.CFG", oldConfig);
        drive.put("OK.DAT", bytes("OK"));
    }
    // The promise: a marker stands only beside the configuration it was written for.
    void expectNoStrayMarker() const {
        if (drive.has("OK.DAT")) {
            EXPECT_EQ(drive.file("CONFIG.CFG"), oldConfig);
            EXPECT_EQ(drive.file("OK.DAT"), bytes("OK"));
        }
    }
    FakeDrive::Bytes oldConfig;
};

TEST(ConfigurationWriter, RemovesTheMarkerFirstAndWritesItLast) {
    for (std::uint8_t version : {31, 36, 48}) {
        Configured f;
        f.program.deviceInfo.firmwareVersion = version;
        const std::string button = f.controls.text(ControlId::ConfigureButton);
        ASSERT_EQ(writeConfiguration(f.program), WriteResult::Written) << int(version);
        EXPECT_EQ(f.drive.operations,
                  (Texts{"open", "lock", "remove OK.DAT", "create CONFIG.CFG", "write CONFIG.CFG",
                         "finish CONFIG.CFG", "read CONFIG.CFG", "create OK.DAT", "write OK.DAT",
                         "finish OK.DAT"}));
        ASSERT_EQ(f.drive.files.size(), 2u);
        EXPECT_EQ(f.drive.file("CONFIG.CFG"), buildConfigFile(f.program.editParams, version));
        EXPECT_EQ(f.drive.file("OK.DAT"), ProgramFixture::bytes("OK"));
        EXPECT_TRUE(f.messages().empty());
        EXPECT_EQ(f.controls.text(ControlId::ConfigureButton), button);
        EXPECT_EQ(f.program.pollState.upgradePending, 0);
    }
}

TEST(ConfigurationWriter, WritesNothingWhileAnUpgradeIsPending) {
    ProgramFixture f;
    f.program.pollState.upgradePending = 1;
    f.program.deviceInfo.firmwareVersion = 33;  // would need an upgrade
    EXPECT_EQ(writeConfiguration(f.program), WriteResult::HeldBack);
    EXPECT_TRUE(f.drive.operations.empty());
    EXPECT_TRUE(f.messages().empty());
}

// Whichever single step of the road fails, the failure is told once and no marker is left
// beside a file that was being rewritten.
TEST(ConfigurationWriter, AnySingleFailureLeavesNoStrayMarker) {
    Configured clean;
    writeConfiguration(clean.program);
    const Texts road = clean.drive.operations;
    for (std::size_t step = 1; step <= road.size(); ++step) {
        SCOPED_TRACE(road[step - 1]);
        Configured f;
        f.drive.failingSteps = {step};
        EXPECT_EQ(writeConfiguration(f.program),
                  road[step - 1] == "lock" ? WriteResult::DriveBusy : WriteResult::WriteFailed);
        EXPECT_EQ(f.messages(), Texts{ConfigureFailed});
        f.expectNoStrayMarker();
    }
}

TEST(ConfigurationWriter, DrivesThatLieOrMovedAreFailures) {
    using F = Configured;
    const auto readBack = [](void (*change)(FakeDrive::Bytes&)) {
        return [=](F& f) { f.drive.alterRead = [=](auto&, FakeDrive::Bytes& b) { change(b); }; };
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
        {"logger on another letter", [](F& f) { f.program.pollState.LoggerDrive = 'F'; }},
        {"no logger letter", [](F& f) { f.program.pollState.LoggerDrive = 0; }},
        {"logger unplugged", [](F& f) { f.drive.present = false; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        F f;
        c.arrange(f);
        EXPECT_EQ(writeConfiguration(f.program), WriteResult::WriteFailed);
        EXPECT_EQ(f.messages(), Texts{ConfigureFailed});
        f.expectNoStrayMarker();
    }
}

}  // namespace
}  // namespace veltra
