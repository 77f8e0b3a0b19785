#include <gtest/gtest.h>

#include <functional>

#include "WriteFixture.h"
#include "logger/CfgRecord.h"

namespace veltra {
namespace {

using test::FakeDrive;
using test::WriteFixture;
using Texts = std::vector<std::string>;

// A drive that holds an earlier configuration and its marker.
struct Configured : WriteFixture {
    Configured() {
        LoggerParameters old = params;
        old.sampleInterval = 7;
        oldConfig = buildConfigFile(old, info.firmwareVersion);
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
    // Fails without any upgrade in it; the drive is let go.
    void expectFailed(WriteResult result) {
        const WriteOutcome outcome = write();
        EXPECT_EQ(outcome.result, result);
        EXPECT_FALSE(outcome.upgradeFailed || outcome.firmwareOpened);
        EXPECT_EQ(drive.sessionsOpen, 0);
        expectNoStrayMarker();
    }
    FakeDrive::Bytes oldConfig;
};

TEST(ConfigurationWriter, RemovesTheMarkerFirstAndWritesItLast) {
    for (std::uint8_t version : {31, 36, 48}) {
        Configured f;
        f.info.firmwareVersion = version;
        const WriteOutcome outcome = f.write();
        ASSERT_EQ(outcome.result, WriteResult::Written) << int(version);
        EXPECT_FALSE(outcome.upgradeFailed || outcome.firmwareOpened);
        EXPECT_EQ(f.drive.operations,
                  (Texts{"open", "lock", "remove OK.DAT", "create CONFIG.CFG", "write CONFIG.CFG",
                         "finish CONFIG.CFG", "read CONFIG.CFG", "create OK.DAT", "write OK.DAT",
                         "finish OK.DAT"}));
        ASSERT_EQ(f.drive.files.size(), 2u);
        EXPECT_EQ(f.drive.file("CONFIG.CFG"), buildConfigFile(f.params, version));
        EXPECT_EQ(f.drive.file("OK.DAT"), WriteFixture::bytes("OK"));
        EXPECT_EQ(f.drive.sessionsOpen, 0);
    }
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

}  // namespace
}  // namespace veltra
