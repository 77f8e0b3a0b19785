#include <gtest/gtest.h>

#include <functional>

#include "logger/CfgRecord.h"
#include "logger/ConfigurationWriter.h"
#include "support/ProgramFixture.h"

namespace veltra {
namespace {

using test::FakeDrive;
using test::ProgramFixture;

constexpr const char* ConfigureFailed =
    "It's fail to configure device,please confirm that the device was plugged!";

TEST(ConfigurationWriter, WritesTheFileThenTheMarkerAndNothingElse) {
    for (std::uint8_t version : {31, 36, 48}) {
        ProgramFixture f;
        f.program.deviceInfo.firmwareVersion = version;
        const std::string button = f.controls.text(ControlId::ConfigureButton);
        ASSERT_TRUE(writeConfiguration(f.program)) << int(version);
        EXPECT_EQ(f.drive.createdNames, (std::vector<std::string>{"CONFIG.CFG", "OK.DAT"}));
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
    EXPECT_TRUE(writeConfiguration(f.program));
    EXPECT_EQ(f.drive.createAttempts, 0);
    EXPECT_TRUE(f.drive.files.empty());
    EXPECT_TRUE(f.messages().empty());
}

TEST(ConfigurationWriter, EveryFailureIsReportedOnceAndLeavesNoMarker) {
    using F = ProgramFixture;
    const auto readBack = [](void (*change)(FakeDrive::Bytes&)) {
        return [=](F& f) { f.drive.alterRead = [=](auto&, FakeDrive::Bytes& b) { change(b); }; };
    };
    const struct {
        const char* what;
        std::function<void(F&)> arrange;
    } cases[] = {
        {"write-protected", [](F& f) { f.drive.readOnly = true; }},
        {"drive full inside CONFIG.CFG", [](F& f) { f.drive.freeBytes = 100; }},
        {"drive gone after CONFIG.CFG", [](F& f) { f.drive.vanishAfterCreates = 1; }},
        {"flush fails", [](F& f) { f.drive.finishFails = true; }},
        {"read-back fails", [](F& f) { f.drive.readFails = true; }},
        {"read-back differs in one byte", readBack([](auto& b) { b[200] ^= 0x10; })},
        {"read-back short by a byte", readBack([](auto& b) { b.pop_back(); })},
        {"read-back with a byte more", readBack([](auto& b) { b.push_back(0); })},
        {"marker cannot be created", [](F& f) { f.drive.failingNames.insert("OK.DAT"); }},
        {"logger on another letter", [](F& f) { f.program.pollState.LoggerDrive = 'F'; }},
        {"no logger letter", [](F& f) { f.program.pollState.LoggerDrive = 0; }},
        {"logger unplugged", [](F& f) { f.drive.present = false; }},
    };
    for (const auto& c : cases) {
        for (bool oldMarker : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.what << (oldMarker ? ", old OK.DAT" : ""));
            ProgramFixture f;
            if (oldMarker) {
                f.drive.put("OK.DAT", ProgramFixture::bytes("OLD"));
            }
            c.arrange(f);
            EXPECT_FALSE(writeConfiguration(f.program));
            EXPECT_EQ(f.messages(), std::vector<std::string>{ConfigureFailed});
            EXPECT_EQ(f.drive.has("OK.DAT"), oldMarker);
            if (oldMarker) {
                EXPECT_EQ(f.drive.file("OK.DAT"), ProgramFixture::bytes("OLD"));
            }
        }
    }
}

TEST(ConfigurationWriter, AMarkerCutShortIsAFailure) {
    ProgramFixture f;
    f.drive.freeBytes = 353 + 1;
    EXPECT_FALSE(writeConfiguration(f.program));
    EXPECT_EQ(f.messages(), std::vector<std::string>{ConfigureFailed});
}

}  // namespace
}  // namespace veltra
