#include <gtest/gtest.h>

#include <fstream>

#include "logger/CfgRecord.h"
#include "logger/FirmwareImage.h"
#include "simulator/LoggerSimulator.h"
#include "support/TempFolder.h"

namespace veltra::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// What the simulated logger does with good files is proven on the roads of tests/ui; these are
// the broken files it must refuse, beside the whole firmware image and record it takes.
TEST(Simulator, TakesOnlyWholeFiles) {
    TempFolder folder;
    SimulatorSettings settings;
    settings.firmwareVersion = 40;
    settings.firmwareRevision = 1;
    settings.upgradedRevision = 3;
    settings.configureTime = std::chrono::milliseconds(300);
    settings.upgradeTime = std::chrono::milliseconds(500);
    LoggerSimulator logger(folder.path(), settings);
    logger.plugIn();
    const LoggerParameters before = logger.parameters();
    LoggerParameters changed = before;
    changed.sampleInterval = 5;
    changed.clock = {26, 12, 8, 14, 30, 5};
    const Bytes good = buildConfigFile(changed, 40), upgrade = buildUpgradeConfigFile(40);
    Bytes badChecksum = good, whole(FirmwareImage.begin(), FirmwareImage.end()), flipped = whole;
    badChecksum[30] ^= 1;
    flipped[5000] ^= 0x01;
    const struct {
        Bytes config;
        Bytes firmware;  // none when empty
        int revisionAfter;
    } cases[] = {
        {badChecksum, {}, 1},
        {buildConfigFile(changed, 30), {}, 1},  // the other firmware family's record kind
        {Bytes(good.begin(), good.end() - 3), {}, 1},
        {{}, {}, 1},
        {upgrade, Bytes(whole.begin(), whole.end() - 1), 1},
        {upgrade, flipped, 1},
        {upgrade, whole, 3},
    };
    const auto put = [&](const char* name, const Bytes& bytes) {
        std::ofstream(folder.path() / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << &c - cases);
        put("CONFIG.CFG", c.config);
        if (!c.firmware.empty()) {
            put("APP.BIN", c.firmware);
        }
        put("OK.DAT", {'O', 'K'});
        int away = 0;  // steps of 100 ms
        logger.advance(std::chrono::milliseconds(100));
        while (!logger.connected() && away < 100) {
            EXPECT_FALSE(std::filesystem::exists(folder.path() / "DAT.SRC")) << "while away";
            logger.advance(std::chrono::milliseconds(100));
            ++away;
        }
        EXPECT_EQ(logger.parameters(), before);
        EXPECT_EQ(logger.firmwareRevision(), c.revisionAfter);
        EXPECT_EQ(away, c.revisionAfter == 3 ? 5 : 3) << "firmware takes longer than settings";
        for (const char* name : {"OK.DAT", "APP.BIN"}) {
            EXPECT_FALSE(std::filesystem::exists(folder.path() / name)) << name;
        }
    }
    // A whole record is taken, its clock too.
    std::string said;
    logger.setReporter([&](const std::string& line) { said += line + "\n"; });
    put("CONFIG.CFG", good);
    put("OK.DAT", {'O', 'K'});
    for (int step = 0; step < 10; ++step) {
        logger.advance(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(logger.parameters(), changed);
    EXPECT_NE(said.find("took CONFIG.CFG: clock set to 2026-12-08 14:30:05\n"), std::string::npos);
}

}  // namespace
}  // namespace veltra::test
